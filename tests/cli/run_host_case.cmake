# Runs quorvel-host once and checks its exit status and output.
#   cmake -DHOST=... [-DEMULATOR=...] -DARGS="a|b" [-DINPUT=text] -DEXIT=n
#         [-DSTDOUT=regex] [-DSTDERR=regex] [-DNOT_STDOUT=regex] [-DOUTPUT_TO=file]
#         [-DUNCHANGED=file] -P run_host_case.cmake
# OUTPUT_TO sends standard output to that file (/dev/full: output that cannot be written) instead of
# capturing it. UNCHANGED names a file that must hold the same bytes after the run as before.
# In INPUT, \\n is a line end and \\e the escape character.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" arguments "${ARGS}")
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
if(DEFINED OUTPUT_TO)
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
