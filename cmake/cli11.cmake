# CLI11, the command-line parser of quorvel-host, from Debian's libcli11-dev: header-only, so the
# Windows build uses the very same headers. A cross-build must not search the build machine's
# /usr/include (it holds glibc's headers too), so it copies only CLI11's own folder into the build
# tree and includes that.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(CLI11 2.1 CONFIG REQUIRED)
  return()
endif()

find_path(QUORVEL_CLI11_HEADERS CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUORVEL_CLI11_HEADERS)
  message(FATAL_ERROR "CLI11's headers are missing: install Debian's libcli11-dev "
                      "(scripts/install-dependencies does)")
endif()
set(cli11_copy ${PROJECT_BINARY_DIR}/cli11-include)
file(COPY ${QUORVEL_CLI11_HEADERS}/CLI DESTINATION ${cli11_copy})
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_copy})
