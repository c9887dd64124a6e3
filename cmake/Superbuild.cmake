# Host-side driver: configures and builds the win32 and win64 trees and runs both test suites.

include(ExternalProject)

if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "Build type of both Windows builds" FORCE)
endif()

cmake_host_system_information(RESULT _cores QUERY NUMBER_OF_LOGICAL_CORES)
set(VENEERKIT_JOBS ${_cores} CACHE STRING "Parallel compile jobs inside each Windows build")

set(_forward_args -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE})
foreach(_var IN ITEMS VENEERKIT_WINEPREFIX VENEERKIT_GTEST_SOURCE_DIR VENEERKIT_TEST_TIMEOUT)
    if(DEFINED ${_var})
        list(APPEND _forward_args "-D${_var}=${${_var}}")
    endif()
endforeach()

set(_toolchain_win32 "${CMAKE_SOURCE_DIR}/cmake/toolchain-i686-w64-mingw32.cmake")
set(_toolchain_win64 "${CMAKE_SOURCE_DIR}/cmake/toolchain-x86_64-w64-mingw32.cmake")

foreach(_arch IN ITEMS win32 win64)
    # A build tree deleted by hand must be configured again, not skipped on an old stamp.
    set(_stamp_dir "${CMAKE_BINARY_DIR}/superbuild/${_arch}/stamp")
    if(NOT EXISTS "${CMAKE_BINARY_DIR}/${_arch}/CMakeCache.txt")
        file(REMOVE "${_stamp_dir}/${_arch}-configure")
    endif()

    # The build trees are ordinary CMake trees: `cmake --build build/win64 --target X` works
    # on its own once <arch>-configure has run. BUILD_ALWAYS hands incremental decisions to
    # their own Ninja files, and the terminal pool runs the two builds one after the other
    # so that each gets all the cores.
    ExternalProject_Add(${_arch}
        SOURCE_DIR "${CMAKE_SOURCE_DIR}"
        BINARY_DIR "${CMAKE_BINARY_DIR}/${_arch}"
        PREFIX "${CMAKE_BINARY_DIR}/superbuild/${_arch}"
        STAMP_DIR "${_stamp_dir}"
        CMAKE_ARGS "-DCMAKE_TOOLCHAIN_FILE=${_toolchain_${_arch}}" ${_forward_args}
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel ${VENEERKIT_JOBS}
        BUILD_ALWAYS TRUE
        INSTALL_COMMAND ""
        USES_TERMINAL_CONFIGURE TRUE
        USES_TERMINAL_BUILD TRUE
        STEP_TARGETS configure)
endforeach()

enable_testing()

# ctest here runs both suites, the shipped 32-bit one first: their test files are pulled in as
# subdirectories, and each test name starts with its build (win32.*, win64.*).
set(_forward_file "${CMAKE_BINARY_DIR}/superbuild/suites.cmake")
file(WRITE "${_forward_file}"
    "subdirs(\"${CMAKE_BINARY_DIR}/win32\")\nsubdirs(\"${CMAKE_BINARY_DIR}/win64\")\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_forward_file}")

# One objdump that reads both PE flavours, so a wrong-architecture exe is caught, not skipped.
find_program(VENEERKIT_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
foreach(_arch IN ITEMS win32 win64)
    if(_arch STREQUAL "win32")
        set(_format pei-i386)
    else()
        set(_format pei-x86-64)
    endif()
    add_test(NAME imports.${_arch}
        COMMAND ${CMAKE_COMMAND}
            "-DOBJDUMP=${VENEERKIT_OBJDUMP}"
            "-DEXE=${CMAKE_BINARY_DIR}/${_arch}/Veneerkit.exe"
            "-DFORMAT=${_format}"
            -P "${CMAKE_SOURCE_DIR}/cmake/CheckImports.cmake")
endforeach()
