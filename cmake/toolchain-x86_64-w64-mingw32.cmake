# 64-bit Windows (PE32+, x86_64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIO_MINGW_TRIPLE x86_64-w64-mingw32)
set(KIO_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
