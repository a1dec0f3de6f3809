# Warnings for the project's own targets; third-party code built alongside
# (GoogleTest) keeps its own flags. The presets and CI make them errors; someone
# building from source with another compiler gets them as warnings.
option(KIO_WERROR "Treat compiler warnings as errors" OFF)

function(kio_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(KIO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    # GCC 12 at -O3 reports impossible overlaps inside std::string's own
    # concatenation (GCC bug 105329); the warning says nothing about our code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()

# The loader and the editing library do byte and index arithmetic everywhere:
# every narrowing there is written out as a cast.
function(kio_set_conversion_warnings target)
    target_compile_options(${target} PRIVATE -Wconversion -Wsign-conversion)
endfunction()
