# Toolchain for the shipped 32-bit build (i686, Debian's MinGW-w64 with posix threads).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VENEERKIT_TRIPLE i686-w64-mingw32)
# A 32-bit exe needs the wine loader that picks wine32; it only runs where that is installed.
set(VENEERKIT_WINE_NAMES wine)
include("${CMAKE_CURRENT_LIST_DIR}/MinGWCross.cmake")
