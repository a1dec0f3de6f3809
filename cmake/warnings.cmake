# Warnings are errors for the project's own targets; third-party code built
# alongside (GoogleTest) keeps its own flags.
function(kio_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
    # GCC 12 at -O3 reports impossible overlaps inside std::string's own
    # concatenation (GCC bug 105329); the warning says nothing about our code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
