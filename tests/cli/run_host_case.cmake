# Runs quorvel-host once and checks its exit status and output.
#   cmake -DHOST=... [-DEMULATOR=...] -DARGS="a|b" [-DINPUT=text] -DEXIT=n
#         [-DSTDOUT=regex] [-DSTDERR=regex] [-DNOT_STDOUT=regex] [-DOUTPUT_TO=file]
#         [-DUNCHANGED=file] [-DABSENT=a|b] -DHOME=folder [-DCONFIG_FROM=file] [-DCONFIG_MATCHES=regex]
#         -P run_host_case.cmake
# OUTPUT_TO sends standard output to that file (/dev/full: output that cannot be written) instead of
# capturing it; CLOSED_OUTPUT to a pipe nobody reads. UNCHANGED names a file that must hold the same
# bytes after the run as before; ABSENT files that must not be there after it (removed before it).
# In INPUT, \\n is a line end and \\e the escape character.
# HOME is emptied first; CONFIG_FROM is copied to HOME/host.cfg; CONFIG_MATCHES checks the settings
# file left (HOME/host.cfg, else the default one under HOME/config).
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" arguments "${ARGS}")
file(REMOVE_RECURSE ${HOME})
file(MAKE_DIRECTORY ${HOME})
if(DEFINED CONFIG_FROM)
  file(COPY_FILE ${CONFIG_FROM} ${HOME}/host.cfg)
endif()
set(input_file /dev/null)
if(DEFINED INPUT)
  string(RANDOM LENGTH 12 tag)
  set(input_file ${CMAKE_CURRENT_BINARY_DIR}/host_case_input_${tag})
  string(REPLACE "\\n" "\n" input_text "${INPUT}")
  string(ASCII 27 escape)
  string(REPLACE "\\e" "${escape}" input_text "${input_text}")
  file(WRITE ${input_file} "${input_text}")
endif()
if(DEFINED UNCHANGED)
  file(SHA256 ${UNCHANGED} unchanged_before)
endif()
string(REPLACE "|" ";" absent "${ABSENT}")
if(absent)
  file(REMOVE ${absent})
endif()
if(CLOSED_OUTPUT)
  # Standard output is a pipe whose reader is gone, or goes without reading.
  execute_process(COMMAND ${EMULATOR} ${HOST} ${arguments} COMMAND ${CMAKE_COMMAND} -E true
    INPUT_FILE ${input_file} ERROR_VARIABLE err RESULTS_VARIABLE statuses)
  list(GET statuses 0 status)
  set(out "(sent to a closed pipe)")
elseif(DEFINED OUTPUT_TO)
  execute_process(COMMAND ${EMULATOR} ${HOST} ${arguments}
    INPUT_FILE ${input_file}
    OUTPUT_FILE ${OUTPUT_TO} ERROR_VARIABLE err RESULT_VARIABLE status)
  set(out "(sent to ${OUTPUT_TO})")
else()
  execute_process(COMMAND ${EMULATOR} ${HOST} ${arguments}
    INPUT_FILE ${input_file}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endif()
if(DEFINED INPUT)
  file(REMOVE ${input_file})
endif()
set(report "\n--- exit status: ${status}\n--- stdout:\n${out}\n--- stderr:\n${err}")
if(NOT status STREQUAL EXIT)
  message(FATAL_ERROR "expected exit status ${EXIT}${report}")
endif()
if(DEFINED STDOUT AND NOT out MATCHES "${STDOUT}")
  message(FATAL_ERROR "stdout does not match '${STDOUT}'${report}")
endif()
if(DEFINED STDERR AND NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "stderr does not match '${STDERR}'${report}")
endif()
if(DEFINED NOT_STDOUT AND out MATCHES "${NOT_STDOUT}")
  message(FATAL_ERROR "stdout should not match '${NOT_STDOUT}'${report}")
endif()
if(DEFINED UNCHANGED)
  file(SHA256 ${UNCHANGED} unchanged_after)
  if(NOT unchanged_after STREQUAL unchanged_before)
    message(FATAL_ERROR "${UNCHANGED} was changed${report}")
  endif()
endif()
foreach(file IN LISTS absent)
  if(EXISTS ${file})
    message(FATAL_ERROR "${file} was written${report}")
  endif()
endforeach()
# Without --config, only console and gui keep settings.
set(default_config ${HOME}/config/quorvel/host.cfg)
if(DEFINED CONFIG_MATCHES)
  set(config ${HOME}/host.cfg)
  if(NOT EXISTS ${config})
    set(config ${default_config})
  endif()
  if(NOT EXISTS ${config})
    message(FATAL_ERROR "no settings file was saved${report}")
  endif()
  file(READ ${config} saved)
  if(NOT saved MATCHES "${CONFIG_MATCHES}")
    message(FATAL_ERROR "the saved settings do not match '${CONFIG_MATCHES}':\n${saved}${report}")
  endif()
elseif(EXISTS ${default_config} AND NOT arguments MATCHES "console|gui")
  message(FATAL_ERROR "a settings file was saved where none should be${report}")
endif()
