# Options every target of the project is built with.

option(QUORVEL_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" ON)
set(QUORVEL_SANITIZERS "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow)
if(QUORVEL_WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
endif()

# The touch response must give bit-identical velocities with every compiler and flag set: no fused
# multiply-add or other contraction, no fast-math shortcuts. (x86-64 and AArch64 compute floats in
# single precision, so there is no excess precision to guard against.)
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

if(QUORVEL_SANITIZERS)
  add_compile_options(-fsanitize=${QUORVEL_SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QUORVEL_SANITIZERS})
endif()
