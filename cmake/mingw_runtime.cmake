# The MinGW-w64 runtime DLLs that the module, the SDK library and the programs share (one C++
# runtime, one heap): libstdc++, libgcc and winpthreads, taken from Debian's MinGW-w64 packages.
# They are copied beside the programs at build time, so the programs and tests run from bin/, and
# shipped with them in the package. QUORVEL_RUNTIME_DLLS lists them.

set(QUORVEL_RUNTIME_DLLS "")
set(copiedRuntimeDlls "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(
    COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  # The compiler echoes a bare name back when it does not know the file.
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know ${dll}; is g++-mingw-w64-x86-64-posix installed?")
  endif()
  get_filename_component(found ${found} REALPATH)
  list(APPEND QUORVEL_RUNTIME_DLLS ${found})

  set(copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll})
  add_custom_command(
    OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${found} ${copy}
    DEPENDS ${found}
    COMMENT "Copying ${dll} beside the programs"
    VERBATIM)
  list(APPEND copiedRuntimeDlls ${copy})
endforeach()
add_custom_target(mingw_runtime_dlls ALL DEPENDS ${copiedRuntimeDlls})
