# Checks that a binary imports the C++ runtime from the shared DLLs (libstdc++-6.dll,
# libgcc_s_seh-1.dll) instead of carrying its own copy: the host, the SDK library and the module
# pass standard-library objects to each other and free each other's memory.
# Usage: cmake -DBINARY=path -DOBJDUMP=... -P check_shared_runtime.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${BINARY} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${BINARY}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
string(REPLACE "DLL Name: " "" imports "${imports}")
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll)
  if(NOT runtime IN_LIST imports)
    message(FATAL_ERROR "${BINARY} does not import ${runtime}; it imports: ${imports}")
  endif()
endforeach()
message(STATUS "${BINARY} imports ${imports}")
