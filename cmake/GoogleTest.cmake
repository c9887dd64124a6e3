# Provides GTest::gtest and GTest::gtest_main built with the cross compiler.
# Debian ships GoogleTest only as source for foreign targets, so it is compiled here from
# /usr/src/googletest; elsewhere (MSYS2, for instance) an installed package is used.

set(VENEERKIT_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources to build")

if(EXISTS "${VENEERKIT_GTEST_SOURCE_DIR}/CMakeLists.txt")
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # gtest uses Win32 threads on Windows; skipping the pthread probe keeps winpthread out.
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory("${VENEERKIT_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest"
                     EXCLUDE_FROM_ALL)
    foreach(_lib IN ITEMS gtest gtest_main)
        # Our -Wall -Wextra is for our code; gtest's headers must not add to it.
        get_target_property(_dirs ${_lib} INTERFACE_INCLUDE_DIRECTORIES)
        set_target_properties(${_lib} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${_dirs}")
        if(NOT TARGET GTest::${_lib})
            add_library(GTest::${_lib} ALIAS ${_lib})
        endif()
    endforeach()
    set(VENEERKIT_HAVE_GTEST TRUE)
else()
    find_package(GTest CONFIG QUIET)
    set(VENEERKIT_HAVE_GTEST ${GTest_FOUND})
endif()

if(NOT VENEERKIT_HAVE_GTEST)
    message(STATUS "GoogleTest not found: veneerkit_tests is not built")
endif()
