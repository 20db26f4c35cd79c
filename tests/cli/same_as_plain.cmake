# Runs quorvel-host with MODULE and with PLAIN (the same module without its defect), each from a
# folder of its own, by relative paths (module, script, settings file), and fails unless standard
# output and the settings file left are the same bytes.
#   cmake -DHOST=... -DMODULE=... -DPLAIN=... -DSCRIPT=... -DTHREADS=one|separate -DWORK=folder -P same_as_plain.cmake
cmake_minimum_required(VERSION 3.25)
foreach(run module plain)
  string(TOUPPER ${run} variable)
  set(folder ${WORK}/${run})
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder})
  file(COPY_FILE ${${variable}} ${folder}/plugin.so)
  file(COPY_FILE ${SCRIPT} ${folder}/script)
  execute_process(COMMAND ${HOST} --threads ${THREADS} --config host.cfg --module plugin.so run script
    WORKING_DIRECTORY ${folder} OUTPUT_VARIABLE out_${run} ERROR_VARIABLE err_${run} RESULT_VARIABLE status)
  if(NOT status STREQUAL 0)
    message(FATAL_ERROR "the ${run} module's run ended with ${status}:\n${out_${run}}\n${err_${run}}")
  endif()
  file(READ ${folder}/host.cfg saved_${run})
endforeach()
if(NOT out_module STREQUAL out_plain)
  message(FATAL_ERROR "the output differs from the plain module's:\n${out_module}\n--- plain:\n${out_plain}\n--- stderr:\n${err_module}")
endif()
if(NOT saved_module STREQUAL saved_plain)
  message(FATAL_ERROR "the settings saved differ from the plain module's:\n${saved_module}\n--- plain:\n${saved_plain}")
endif()
