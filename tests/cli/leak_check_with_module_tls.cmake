# The leak checker at exit, after the module's thread-local state has been allocated at each of 64
# successive heap offsets (one host run each, N ball lines before the load, N = 0..63): the
# sanitizer runtime must not misread where that block lies and crash its leak scan ("Tracer caught
# signal 11"). Every run must end with status 0.
#
# cmake -DHOST=quorvel-host -DWORK_DIR=dir -P leak_check_with_module_tls.cmake
file(MAKE_DIRECTORY ${WORK_DIR})
set(script ${WORK_DIR}/balls_then_load)
set(lines "")
foreach(count RANGE 0 63)
  file(WRITE ${script} "${lines}load\nunload\n")
  execute_process(COMMAND ${HOST} run ${script} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "with ${count} ball lines before the load the host ended with ${status}:\n${errors}")
  endif()
  string(APPEND lines "ball ${count} 2 3\n")
endforeach()
