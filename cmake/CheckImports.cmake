# ctest script: fails if EXE is not a FORMAT Windows GUI exe or imports a DLL Windows does not ship.
# Usage: cmake -DOBJDUMP=<objdump> -DEXE=<exe> -DFORMAT=pei-i386|pei-x86-64 -P CheckImports.cmake

cmake_minimum_required(VERSION 3.20)

# DLLs present on every Windows the product supports; anything else (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll, the UCRT's api-ms-win-crt-*) would have to be shipped.
set(allowed
    advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
    oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll)

if(NOT EXISTS "${EXE}")
    message(FATAL_ERROR "${EXE} does not exist")
endif()

# objdump words its report in the user's language ("ファイル形式" for "file format" under
# ja_JP); the English one is the one read below.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C "${OBJDUMP}" -p "${EXE}"
    OUTPUT_VARIABLE dump ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed: ${errors}")
endif()

if(NOT dump MATCHES "file format ([^\n]+)\n")
    message(FATAL_ERROR "no file format in the objdump output of ${EXE}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL FORMAT)
    message(FATAL_ERROR "${EXE} is ${CMAKE_MATCH_1}, expected ${FORMAT}")
endif()

if(NOT dump MATCHES "\nSubsystem[ \t]+0+2[ \t]")
    message(FATAL_ERROR "${EXE} is not a Windows GUI exe")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
if(NOT lines)
    message(FATAL_ERROR "no imports found in ${EXE}: objdump output not understood")
endif()
set(bad "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll_lower)
    message(STATUS "imports ${dll}")
    if(NOT dll_lower IN_LIST allowed)
        list(APPEND bad "${dll}")
    endif()
endforeach()
if(bad)
    message(FATAL_ERROR "${EXE} imports DLLs Windows does not ship: ${bad}")
endif()
