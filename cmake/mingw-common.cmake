# Shared by the MinGW toolchain files; KIO_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix variants give std::thread and thread-safe statics through
# winpthreads, which -static links into each binary.
set(CMAKE_C_COMPILER ${KIO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KIO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLL may be needed beside the binaries: a game ships kio.dll alone.
# No link time in the PE header either: the same sources give the same file.
set(KIO_MINGW_LINK "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${KIO_MINGW_LINK}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${KIO_MINGW_LINK}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${KIO_MINGW_LINK}")
# The shipped DLL carries no symbols or debug information of the static runtime.
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

# ctest runs the test executables through Wine (32-bit Wine under qemu where
# the kernel cannot run 32-bit code); see scripts/wine-run.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run;--arch;${KIO_WINE_ARCH}")
