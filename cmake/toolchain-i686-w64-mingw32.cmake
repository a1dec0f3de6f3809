# 32-bit Windows (PE32, i686): the shipped kio.dll.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KIO_MINGW_TRIPLE i686-w64-mingw32)
set(KIO_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# SSE2, which every processor that runs a supported Windows has: the loader's
# passes over a file go sixteen bytes at a time with it.
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
