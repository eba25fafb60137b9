# quorbel_warnings(target): the project's warning set for production code.
function(quorbel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow)
    if(QUORBEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# quorbel_test_warnings(target): a lighter set for tests and tools.
function(quorbel_test_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(QUORBEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
