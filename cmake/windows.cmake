# The Windows build: the Unicode Win32 API, GoogleTest compiled for the target from Debian's sources,
# and every test program run under Wine in a private prefix.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Everything is linked statically (libstdc++, libgcc, winpthread), so the one .exe runs on a clean
# Windows and under Wine without DLLs beside it, whether cross-built or built with MinGW on Windows.
if(MINGW)
  add_link_options(-static)
endif()

if(NOT ORVIMO_BUILD_TESTS)
  return()
endif()
enable_testing()

set(ORVIMO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")
if(NOT EXISTS ${ORVIMO_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${ORVIMO_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORVIMO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# It names its targets GTest::gtest, GTest::gmock and so on, as the installed package does. Its own
# sources are not ours to keep warnings-clean.
foreach(library gtest gtest_main gmock gmock_main)
  target_compile_options(${library} PRIVATE -w)
endforeach()

# ctest and the build run each test program through this; a Wine start costs about a second.
set(ORVIMO_WINE_PREFIX ${CMAKE_BINARY_DIR}/test-runtime/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/wine/wine-run ${ORVIMO_WINE_PREFIX})

# Stands in for GoogleTest's discovery, which would start Wine once per test case: here each test
# program is one ctest test, and its failing cases are named in its output.
function(gtest_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DISCOVERY_TIMEOUT" "PROPERTIES")
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  set_tests_properties(${target} PROPERTIES TIMEOUT 120 LABELS wine ${arg_PROPERTIES})
endfunction()
