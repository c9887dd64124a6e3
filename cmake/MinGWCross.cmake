# Shared part of the MinGW-w64 toolchain files: compilers, windres and the Wine runner for ctest.
# The including toolchain file sets VENEERKIT_TRIPLE and VENEERKIT_WINE_NAMES first.

set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model is the one the product and GoogleTest are tested with; the win32 model
# lacks std::thread in GCC 12, so mixing the two would only surface as link errors later.
set(CMAKE_C_COMPILER /usr/bin/${VENEERKIT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${VENEERKIT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${VENEERKIT_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VENEERKIT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One prefix per checkout, primed by cmake/test.sh, so tests never touch the user's ~/.wine.
get_filename_component(_veneerkit_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(VENEERKIT_WINEPREFIX "${_veneerkit_root}/build/wineprefix" CACHE PATH
    "Wine prefix the tests run in")
# Wine's Recycle Bin is $XDG_DATA_HOME/Trash, read on the Unix side at start-up, so the tests'
# own goes here rather than into the user's. Wine makes Trash, but not the folder above it.
set(_veneerkit_data_home "${_veneerkit_root}/build/test-data")
file(MAKE_DIRECTORY "${_veneerkit_data_home}")

# Debian installs wine64 outside PATH; look there too. find_program would be rerooted by the
# cross settings above, which is why the search is done by hand.
set(_veneerkit_wine "")
foreach(_name IN LISTS VENEERKIT_WINE_NAMES)
    foreach(_dir IN ITEMS /usr/bin /usr/lib/wine /usr/local/bin /opt/wine-stable/bin)
        if(NOT _veneerkit_wine AND EXISTS "${_dir}/${_name}")
            set(_veneerkit_wine "${_dir}/${_name}")
        endif()
    endforeach()
endforeach()

# The emulator carries the environment itself rather than the tests' ENVIRONMENT property,
# because PRE_TEST discovery runs the test exe outside any test and needs the same prefix.
# DISPLAY is inherited from whoever runs ctest; the locale is not. Wine fixes each process's ANSI
# code page at its start from the Unix locale (LC_ALL, then LC_CTYPE, then LANG), whatever the
# prefix's other processes use, and under the C locale it spells only ASCII names on disk. So
# the suites run under C.UTF-8 (code page 1252), and the suites whose names end in CodePageTest
# run once more under ja_JP.UTF-8 (932) through the second runner. VENEERKIT_CODE_PAGE tells a
# test which of the two its run asked for (see support/TestSupport.h).
if(_veneerkit_wine)
    set(_veneerkit_wine_env
        /usr/bin/env
        "WINEPREFIX=${VENEERKIT_WINEPREFIX}"
        WINEDEBUG=-all
        "XDG_DATA_HOME=${_veneerkit_data_home}"
        "WINEDLLOVERRIDES=mscoree,mshtml=")
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${_veneerkit_wine_env} LC_ALL=C.UTF-8 VENEERKIT_CODE_PAGE=1252 "${_veneerkit_wine}")
    set(VENEERKIT_CP932_EMULATOR
        ${_veneerkit_wine_env} LC_ALL=ja_JP.UTF-8 VENEERKIT_CODE_PAGE=932 "${_veneerkit_wine}")
endif()
