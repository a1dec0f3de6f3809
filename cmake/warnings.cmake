# Warnings are errors for the project's own targets; third-party code built
# alongside (GoogleTest) keeps its own flags.
function(kio_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
