# GoogleTest for the test suites: the targets GTest::gtest, GTest::gmock and GTest::gtest_main.
#
# A native build uses the distribution's libraries (libgtest-dev, libgmock-dev). A cross-build
# compiles the same release from the sources that Debian's libgtest-dev ships in /usr/src.

if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()

set(QUORVEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian's libgtest-dev)")
if(NOT EXISTS ${QUORVEL_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${QUORVEL_GOOGLETEST_SOURCE}; install libgtest-dev")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${QUORVEL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest is not our code: it builds with its own warning flags, and they never fail our build.
set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
# GoogleTest's own build defines the GTest:: names.
