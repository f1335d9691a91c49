# SPDX-License-Identifier: GPL-3.0-or-later
# CMake toolchain file: Quorvel for Windows x64, cross-built with MinGW-w64 (posix threads)
# against the Qt built for it, tests run under Wine. scripts/build-windows.sh uses it.
#   QUORVEL_QT_MINGW  that Qt's install prefix; default ../shared/toolchains/qt6-mingw-6.4.2
#                     beside the project
#   QUORVEL_WIN_DEPS  prefix of the libraries built for MinGW (pugixml, libqpdf, GoogleTest);
#                     default build-win/deps
# Both may also come from the environment.
foreach(setting QUORVEL_QT_MINGW QUORVEL_WIN_DEPS)
  if(NOT ${setting} AND DEFINED ENV{${setting}})
    set(${setting} "$ENV{${setting}}")
  endif()
endforeach()
get_filename_component(_quorvel_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT QUORVEL_QT_MINGW)
  get_filename_component(QUORVEL_QT_MINGW
                         "${_quorvel_source_dir}/../shared/toolchains/qt6-mingw-6.4.2" ABSOLUTE)
endif()
if(NOT QUORVEL_WIN_DEPS)
  set(QUORVEL_WIN_DEPS "${_quorvel_source_dir}/build-win/deps")
endif()
set(QUORVEL_QT_MINGW "${QUORVEL_QT_MINGW}" CACHE PATH "Qt for MinGW-w64 (install prefix)")
set(QUORVEL_WIN_DEPS "${QUORVEL_WIN_DEPS}" CACHE PATH "Libraries built for MinGW-w64")
# try_compile projects load this file again and see only the variables listed here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVEL_QT_MINGW QUORVEL_WIN_DEPS)

# Programs built for Windows run under Wine: add_test, and gtest_discover_tests.
find_program(QUORVEL_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUORVEL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${QUORVEL_WINE64}" CACHE FILEPATH "Runs Windows programs")
endif()

# Qt's toolchain file sets the compilers (chain-loading its mingw-w64-x86_64.cmake) and
# lets find_package see that Qt.
set(_quorvel_qt_toolchain "${QUORVEL_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
if(NOT EXISTS "${_quorvel_qt_toolchain}")
  message(FATAL_ERROR "No Qt for MinGW at ${QUORVEL_QT_MINGW} (set QUORVEL_QT_MINGW)")
endif()
include("${_quorvel_qt_toolchain}")

# The deps prefix: the root for its packages' paths, lib/cmake as the prefix to search (a
# prefix equal to a root is searched wrongly, as Qt's toolchain file explains).
list(PREPEND CMAKE_FIND_ROOT_PATH "${QUORVEL_WIN_DEPS}")
list(PREPEND CMAKE_PREFIX_PATH "${QUORVEL_WIN_DEPS}/lib/cmake")
# zlib (MinGW's libz-mingw-w64-dev) goes into the programs, so they need no zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
# Test discovery runs each test program; under Wine it needs the test run's environment
# (scripts/test-windows.sh), so it waits for ctest instead of running at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
