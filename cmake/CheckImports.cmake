# ctest script: fails if EXE is not a FORMAT Windows GUI exe, is larger than FORMAT's size limit,
# or imports a DLL Windows does not ship or a function Windows XP SP3 lacks (NotOnWindowsXP.txt).
# Usage: cmake -DOBJDUMP=<objdump> -DEXE=<exe> -DFORMAT=pei-i386|pei-x86-64 -P CheckImports.cmake

cmake_minimum_required(VERSION 3.20)

# DLLs present on every Windows the product supports; anything else (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll, the UCRT's api-ms-win-crt-*) would have to be shipped.
set(allowed
    advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
    oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll)

# Largest size in bytes of each build's exe: 80 KB for the i686 one users get, 120 KB for x86-64,
# whose code is larger. Growing past them is then a decision, not a drift.
set(max_size_pei-i386 81920)
set(max_size_pei-x86-64 122880)

if(NOT DEFINED max_size_${FORMAT})
    message(FATAL_ERROR "unknown FORMAT '${FORMAT}': expected pei-i386 or pei-x86-64")
endif()
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

# The checks below report with SEND_ERROR, so that one run names every problem and still fails.
file(SIZE "${EXE}" size)
message(STATUS "size ${size} bytes, limit ${max_size_${FORMAT}}")
if(size GREATER max_size_${FORMAT})
    message(SEND_ERROR "${EXE} is ${size} bytes, over the ${max_size_${FORMAT}} bytes allowed "
        "for ${FORMAT}")
endif()

# "dll function" for each function XP SP3 lacks.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/NotOnWindowsXP.txt" list_lines)
set(not_on_xp "")
set(dll "")
foreach(line IN LISTS list_lines)
    if(line STREQUAL "" OR line MATCHES "^#")
        continue()
    elseif(line MATCHES "\\.dll$")
        set(dll "${line}")
    elseif(dll STREQUAL "")
        message(FATAL_ERROR "NotOnWindowsXP.txt names ${line} before any DLL")
    else()
        list(APPEND not_on_xp "${dll} ${line}")
    endif()
endforeach()

# objdump lists each DLL's imports below its "DLL Name:" line, one tab-indented row each
# ("<vma> <hint> <name>", with no name for an import by ordinal), up to a blank line.
string(REGEX MATCHALL "DLL Name: [^\n]*\n(\t[^\n]*\n)*" blocks "${dump}")
if(NOT blocks)
    message(FATAL_ERROR "no imports found in ${EXE}: objdump output not understood")
endif()
set(bad_dlls "")
set(bad_functions "")
foreach(block IN LISTS blocks)
    string(REGEX MATCH "^DLL Name: ([^\n]*)" _ "${block}")
    string(STRIP "${CMAKE_MATCH_1}" dll)
    string(TOLOWER "${dll}" dll_lower)
    message(STATUS "imports ${dll}")
    if(NOT dll_lower IN_LIST allowed)
        list(APPEND bad_dlls "${dll}")
    endif()
    string(REGEX MATCHALL "\n\t[0-9a-fA-F]+\t +[0-9]+ +[^ \t\n]+" rows "${block}")
    foreach(row IN LISTS rows)
        string(REGEX REPLACE "^\n\t[0-9a-fA-F]+\t +[0-9]+ +" "" function "${row}")
        if("${dll_lower} ${function}" IN_LIST not_on_xp)
            list(APPEND bad_functions "${function} (${dll})")
        endif()
    endforeach()
endforeach()
if(bad_dlls)
    list(JOIN bad_dlls ", " bad_dlls)
    message(SEND_ERROR "${EXE} imports DLLs Windows does not ship: ${bad_dlls}")
endif()
if(bad_functions)
    list(JOIN bad_functions ", " bad_functions)
    message(SEND_ERROR "${EXE} imports functions Windows XP SP3 lacks: ${bad_functions}")
endif()
