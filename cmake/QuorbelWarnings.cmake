# quorbel_warnings(target): the project's warning set, for the product, its tests, tools and benchmarks alike.
function(quorbel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow)
    # GCC 12 reports std::string concatenation at -O2 as overlapping memcpy (a known false positive).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(QUORBEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
