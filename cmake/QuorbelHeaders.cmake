# Include roots, one per library. A library publishes its headers through a folder of its own in the build
# tree that holds a symbolic link to each of them under the name the code includes it by ("dsp/QuorKernel.h"
# in <build>/include/quorbel_dsp/dsp/), and nothing else. A target sees the roots of the libraries it links
# and no others, so an include of a layer above (one it does not link) fails to compile.
set(QUORBEL_INCLUDE_ROOTS ${PROJECT_BINARY_DIR}/include)
# Made anew at each configuration: a header taken off a list is no longer published.
file(REMOVE_RECURSE ${QUORBEL_INCLUDE_ROOTS})

# quorbel_public_headers(<target> <prefix> <header>...): publishes each <header> (a path relative to the
# current source folder) as "<prefix>/<header>" through <target>'s include root.
function(quorbel_public_headers target prefix)
    set(root ${QUORBEL_INCLUDE_ROOTS}/${target})
    foreach(header ${ARGN})
        set(source ${CMAKE_CURRENT_SOURCE_DIR}/${header})
        if(NOT EXISTS ${source})
            message(FATAL_ERROR "${target} publishes ${header}, which is not in ${CMAKE_CURRENT_SOURCE_DIR}")
        endif()
        set(link ${root}/${prefix}/${header})
        get_filename_component(folder ${link} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${source} ${link} SYMBOLIC)
    endforeach()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
