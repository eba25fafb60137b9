# Installation: `cmake --install build --prefix P` gives
#   P/bin/auhost                                          the offline host
#   P/bin/quorbel                                         the application's launcher (a link to its program)
#   P/lib/quorbel/libquorbel_*.so                         the platform's shared libraries
#   P/lib/quorbel/Quorbel.app/Contents/...                the application bundle, carrying
#       .../Contents/PlugIns/QuorbelAUMac.appex            the extension, where the installed auhost finds it
#   P/share/applications/quorbel.desktop                  the desktop entry that starts the application
# Every installed binary finds the platform's libraries through an RPATH relative to itself ($ORIGIN), so
# the tree can be moved as a whole and needs no library path.
set(QUORBEL_LIBDIR lib/quorbel)
set(QUORBEL_APPDIR ${QUORBEL_LIBDIR}/Quorbel.app)

foreach(lib quorbel_vdsp quorbel_audiotoolbox quorbel_foundation quorbel_graphics quorbel_ui)
    if(TARGET ${lib})
        set_target_properties(${lib} PROPERTIES INSTALL_RPATH "$ORIGIN")
        install(TARGETS ${lib} LIBRARY DESTINATION ${QUORBEL_LIBDIR})
    endif()
endforeach()

if(TARGET auhost)
    set_target_properties(auhost PROPERTIES INSTALL_RPATH "$ORIGIN/../${QUORBEL_LIBDIR}")
    install(TARGETS auhost RUNTIME DESTINATION bin)
endif()

if(TARGET Quorbel)
    # Contents/MacOS -> Contents -> Quorbel.app -> lib/quorbel
    set_target_properties(Quorbel PROPERTIES INSTALL_RPATH "$ORIGIN/../../..")
    install(TARGETS Quorbel RUNTIME DESTINATION ${QUORBEL_APPDIR}/Contents/MacOS)
    install(FILES ${QUORBEL_APP_BUNDLE}/Contents/Info.plist DESTINATION ${QUORBEL_APPDIR}/Contents)
    install(CODE [[
        set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
        file(MAKE_DIRECTORY "${bin}")
        file(REMOVE "${bin}/quorbel")
        file(CREATE_LINK ../lib/quorbel/Quorbel.app/Contents/MacOS/Quorbel "${bin}/quorbel" SYMBOLIC)
        message(STATUS "Installing: ${bin}/quorbel")
    ]])
    install(CODE "set(QUORBEL_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/app/quorbel.desktop.in\")")
    install(CODE [[
        set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/quorbel.desktop")
        configure_file("${QUORBEL_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
        message(STATUS "Installing: ${entry}")
    ]])
endif()

if(TARGET QuorbelAUMac)
    set(appex ${QUORBEL_APPDIR}/Contents/PlugIns/QuorbelAUMac.appex)
    # Contents/MacOS -> Contents -> QuorbelAUMac.appex -> PlugIns -> Contents -> Quorbel.app -> lib/quorbel
    set_target_properties(QuorbelAUMac PROPERTIES INSTALL_RPATH "$ORIGIN/../../../../../..")
    install(TARGETS QuorbelAUMac LIBRARY DESTINATION ${appex}/Contents/MacOS)
    install(FILES ${QUORBEL_APPEX}/Contents/Info.plist DESTINATION ${appex}/Contents)
endif()
