# Options the project's targets are built with.
#
# Warnings are shown, never made errors here: a packager or a user configuring without the presets
# gets a build whatever their compiler thinks. The presets and CI make them errors with CMake's own
# CMAKE_COMPILE_WARNING_AS_ERROR.

set(QUORVEL_SANITIZERS "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")

# Our warning flags, for our own targets only: each links quorvel_warnings privately, so libraries
# built from other people's sources (GoogleTest, Dear ImGui for Windows) keep their own flags.
add_library(quorvel_warnings INTERFACE)
target_compile_options(quorvel_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)

# The touch response must give bit-identical velocities with every compiler and flag set: no fused
# multiply-add or other contraction, no fast-math shortcuts. These apply to every target, ours or
# not, so no target that compiles touch-response arithmetic (the module, the tests' models) can
# miss them. (x86-64 and AArch64 compute floats in single precision, so there is no excess
# precision to guard against.)
add_compile_options(-ffp-contract=off -fno-fast-math)

if(MINGW)
  # printf, snprintf and strtof from MinGW-w64's own C99 implementation instead of msvcrt.dll's,
  # which writes NaN, infinity and some roundings differently from glibc: the host's transcripts
  # and the module's log lines must be the same on Windows as on Linux.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
  # The host, the SDK library and the module pass std::shared_ptr, std::string and std::function
  # across DLL boundaries and throw through them: they must share one C++ runtime and one heap, so
  # libstdc++ and libgcc are linked as DLLs, never copied into each binary.
  add_link_options(-shared-libgcc)
  # Reproducible binaries: no link time in the PE header, so two builds of one commit at one path
  # give the same bytes and a package can be checked against its source.
  add_link_options(-Wl,--no-insert-timestamp)
endif()

if(QUORVEL_SANITIZERS MATCHES "thread")
  # GCC 12 with ThreadSanitizer inlines the tests' replacement operator delete, which frees with
  # free() what their operator new took with malloc(), into its callers and then reports the pair
  # as mismatched. A false warning: it stays shown, but is no error in this build.
  add_compile_options(-Wno-error=mismatched-new-delete)
endif()
if(QUORVEL_SANITIZERS)
  add_compile_options(-fsanitize=${QUORVEL_SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QUORVEL_SANITIZERS})
endif()
