# Runs a console-language scenario through quorvel-host and checks its transcript byte for byte.
# A CMake script (cmake -P) so that the same check runs wherever CTest does, also with the host
# run under an emulator (Wine for the Windows build).
#
#   cmake -DHOST=PATH [-DEMULATOR=PROGRAM|ARG...] [-DHOST_ARGS=ARG|ARG...] [-DSUFFIX=WORD]
#         -DSCENARIO=FILE [-DEXPECTED=FILE] -P run_golden_scenario.cmake
#     Runs FILE twice; each run's standard output must equal EXPECTED (default: FILE with the
#     extension .expected), its standard error FILE's .stderr file (empty if there is none), and
#     its exit status must be 1 if there is a .stderr file, 0 otherwise.
#     HOST_ARGS go to the host before `run` (for example --threads|separate). With SUFFIX the
#     transcripts are NAME.SUFFIX.expected and NAME.SUFFIX.stderr where an arrangement's output
#     differs, and NAME.expected and NAME.stderr where there is no file of its own.
#     With the environment variable QUORVEL_UPDATE_GOLDEN=1 it writes those files instead, a
#     SUFFIX file only where it differs from the shared one (which the run without SUFFIX writes:
#     CTest runs that first).
#
#   cmake -DHOST=PATH [-DEMULATOR=...] [-DHOST_ARGS=...] -DSCENARIO=FILE -DCLOCKS=A|B... -DWORK_DIR=DIR
#         [-DCLOCKS_ALIKE=ON] -P run_golden_scenario.cmake
#     Runs FILE (which must not set the clock) behind `clock A`, `clock B`, ... twice each: the
#     same clock must give the same bytes, different clocks different bytes; with CLOCKS_ALIKE,
#     every clock the same bytes (the clock does not decide them).
#
# The host always gets the scenario as a bare file name in its own folder, so error messages read
# "NAME.scenario:LINE: error: ..." on every platform.

cmake_minimum_required(VERSION 3.25)

foreach(required HOST SCENARIO)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "run_golden_scenario: -D${required}=... is required")
  endif()
endforeach()
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" host_args "${HOST_ARGS}")

# run_host(FOLDER FILE PREFIX): runs the host on FOLDER/FILE; sets PREFIX_out, PREFIX_err, PREFIX_status.
function(run_host folder file prefix)
  execute_process(
    COMMAND ${emulator} "${HOST}" ${host_args} run "${file}"
    WORKING_DIRECTORY "${folder}"
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    RESULT_VARIABLE status)
  set(${prefix}_out "${out}" PARENT_SCOPE)
  set(${prefix}_err "${err}" PARENT_SCOPE)
  set(${prefix}_status "${status}" PARENT_SCOPE)
endfunction()

# Fails with both texts and the number of the first line where they part. (Walked as text, not as
# a CMake list: transcripts hold brackets and could hold semicolons.)
function(require_same what expected actual)
  if(expected STREQUAL actual)
    return()
  endif()
  set(line 1)
  set(a "${expected}")
  set(b "${actual}")
  while(TRUE)
    string(FIND "${a}" "\n" end_a)
    string(FIND "${b}" "\n" end_b)
    if(end_a EQUAL -1 OR NOT end_a EQUAL end_b)
      break()
    endif()
    string(SUBSTRING "${a}" 0 ${end_a} head_a)
    string(SUBSTRING "${b}" 0 ${end_b} head_b)
    if(NOT head_a STREQUAL head_b)
      break()
    endif()
    math(EXPR next "${end_a} + 1")
    string(SUBSTRING "${a}" ${next} -1 a)
    string(SUBSTRING "${b}" ${next} -1 b)
    math(EXPR line "${line} + 1")
  endwhile()
  # NOTICE prints the texts as they are; FATAL_ERROR would re-indent them.
  message(NOTICE "--- expected ---\n${expected}--- actual ---\n${actual}--- end ---")
  message(FATAL_ERROR "${what} differs, first at line ${line}.")
endfunction()

# record(OWN SHARED TEXT): writes TEXT to OWN, unless OWN is a variant's file and SHARED holds TEXT
# already: then OWN goes, and SHARED serves the variant too.
function(record own shared text)
  if(NOT own STREQUAL shared AND EXISTS "${shared}")
    file(READ "${shared}" shared_text)
    if(text STREQUAL shared_text)
      file(REMOVE "${own}")
      return()
    endif()
  endif()
  file(WRITE "${own}" "${text}")
endfunction()

get_filename_component(folder "${SCENARIO}" DIRECTORY)
get_filename_component(file "${SCENARIO}" NAME)
get_filename_component(stem "${SCENARIO}" NAME_WE)

if(DEFINED CLOCKS)
  string(REPLACE "|" ";" clocks "${CLOCKS}")
  file(READ "${SCENARIO}" body)
  file(MAKE_DIRECTORY "${WORK_DIR}")
  set(seen "")
  foreach(clock IN LISTS clocks)
    file(WRITE "${WORK_DIR}/${stem}.clock${clock}.scenario" "clock ${clock}\n${body}")
    run_host("${WORK_DIR}" "${stem}.clock${clock}.scenario" first)
    run_host("${WORK_DIR}" "${stem}.clock${clock}.scenario" second)
    if(NOT first_status EQUAL 0 OR NOT first_err STREQUAL "")
      message(FATAL_ERROR "clock ${clock}: exit status ${first_status}\n${first_err}")
    endif()
    require_same("clock ${clock}: the second run's output" "${first_out}" "${second_out}")
    foreach(earlier IN LISTS seen)
      if(CLOCKS_ALIKE)
        require_same("clock ${clock} against clock ${earlier}" "${out_${earlier}}" "${first_out}")
      elseif(first_out STREQUAL "${out_${earlier}}")
        message(FATAL_ERROR "clock ${clock} and clock ${earlier} gave the same output:\n${first_out}")
      endif()
    endforeach()
    set(out_${clock} "${first_out}")
    list(APPEND seen ${clock})
  endforeach()
  return()
endif()

set(variant "")
if(DEFINED SUFFIX AND NOT SUFFIX STREQUAL "")
  set(variant ".${SUFFIX}")
endif()
if(NOT DEFINED EXPECTED)
  set(EXPECTED "${folder}/${stem}.expected")
endif()
set(shared_expected_file "${EXPECTED}")
string(REGEX REPLACE "\\.expected$" "${variant}.expected" own_expected_file "${EXPECTED}")
set(expected_file "${own_expected_file}")
if(NOT EXISTS "${own_expected_file}")
  set(expected_file "${shared_expected_file}")
endif()
set(own_stderr_file "${folder}/${stem}${variant}.stderr")
set(shared_stderr_file "${folder}/${stem}.stderr")
set(expected_stderr_file "${own_stderr_file}")
if(NOT EXISTS "${own_stderr_file}" AND EXISTS "${shared_stderr_file}")
  set(expected_stderr_file "${shared_stderr_file}")
endif()

run_host("${folder}" "${file}" first)
run_host("${folder}" "${file}" second)

if("$ENV{QUORVEL_UPDATE_GOLDEN}" STREQUAL "1")
  record("${own_expected_file}" "${shared_expected_file}" "${first_out}")
  if(first_err STREQUAL "")
    file(REMOVE "${own_stderr_file}")
  else()
    record("${own_stderr_file}" "${shared_stderr_file}" "${first_err}")
  endif()
  message(STATUS "recorded ${stem}${variant} (exit status ${first_status})")
  return()
endif()

file(READ "${expected_file}" expected_out)
set(expected_err "")
set(expected_status 0)
if(EXISTS "${expected_stderr_file}")
  file(READ "${expected_stderr_file}" expected_err)
  set(expected_status 1)
endif()
foreach(run first second)
  require_same("${file}, ${run} run: standard output" "${expected_out}" "${${run}_out}")
  require_same("${file}, ${run} run: standard error" "${expected_err}" "${${run}_err}")
  if(NOT ${run}_status EQUAL expected_status)
    message(FATAL_ERROR "${file}, ${run} run: exit status ${${run}_status}, expected ${expected_status}")
  endif()
endforeach()
