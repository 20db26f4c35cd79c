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

if(QUORVEL_SANITIZERS)
  add_compile_options(-fsanitize=${QUORVEL_SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QUORVEL_SANITIZERS})
endif()
