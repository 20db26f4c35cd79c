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

# GoogleTest is not our code: our warning options (and -Werror) stay out of its build.
get_directory_property(quorvelCompileOptions COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${QUORVEL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${quorvelCompileOptions}")
# GoogleTest's own build defines the GTest:: names.
