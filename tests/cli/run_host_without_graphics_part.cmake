# Runs a copy of quorvel-host placed in a folder of its own, without the graphics part beside it,
# and checks that pictures fail with a message saying so, not a crash, while scripts still run.
#   cmake -DHOST=... -DMODULE=... -DDIR=... -DSCRIPT=pictures -DPLAIN_SCRIPT=no-pictures
#         -P run_host_without_graphics_part.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
file(COPY ${HOST} DESTINATION ${DIR})
get_filename_component(host_name ${HOST} NAME)
set(host ${DIR}/${host_name})

function(expect_run exit_expected stderr_expected)
  execute_process(COMMAND ${host} --module ${MODULE} ${ARGN}
    INPUT_FILE /dev/null OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  set(report "\n--- command: ${ARGN}\n--- exit status: ${status}\n--- stdout:\n${out}\n--- stderr:\n${err}")
  if(NOT status STREQUAL exit_expected)
    message(FATAL_ERROR "expected exit status ${exit_expected}${report}")
  endif()
  if(NOT err MATCHES "${stderr_expected}")
    message(FATAL_ERROR "stderr does not match '${stderr_expected}'${report}")
  endif()
endfunction()

set(missing "cannot load quorvel-host's graphics part '${DIR}/quorvel-host-graphics.so'")
expect_run(1 "^quorvel-host: ${missing}" panel --png ${DIR}/panel.png)
expect_run(1 "^quorvel-host: ${missing}" gui)
expect_run(1 "two_pictures:3: error: ${missing}" run ${SCRIPT})
# Without pictures, scripts do not need the part.
expect_run(0 "^$" run ${PLAIN_SCRIPT})
