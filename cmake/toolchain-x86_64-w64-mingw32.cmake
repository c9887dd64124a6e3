# Toolchain for the 64-bit build, tested under wine64 (Debian's MinGW-w64, posix threads).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VENEERKIT_TRIPLE x86_64-w64-mingw32)
set(VENEERKIT_WINE_NAMES wine64 wine)
include("${CMAKE_CURRENT_LIST_DIR}/MinGWCross.cmake")
