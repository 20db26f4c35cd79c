# Checks Quorvel.dll's version resource, read back from the DLL by the toolchain's own windres,
# against the texts of the plug-in's description record (the plugin_identity.h the build generates
# for the module): the record and the file's properties must tell the same version and description,
# and the resource must name the DLL by its file name.
# Usage: cmake -DMODULE=path/Quorvel.dll -DWINDRES=... -DIDENTITY=path/plugin_identity.h -P check_version_resource.cmake
cmake_minimum_required(VERSION 3.25)

file(READ ${IDENTITY} identity)
foreach(field Version Description ClassName)
  if(NOT identity MATCHES "k${field}\\[\\] = \"([^\"]*)\"")
    message(FATAL_ERROR "${IDENTITY} defines no k${field}")
  endif()
  set(record${field} "${CMAKE_MATCH_1}")
endforeach()
string(REPLACE "." ", " numericVersion "${recordVersion}")
get_filename_component(fileName ${MODULE} NAME)

execute_process(COMMAND ${WINDRES} --input ${MODULE} --output-format rc
  OUTPUT_VARIABLE resources RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${WINDRES} could not read the resources of ${MODULE}:\n${errors}")
endif()
if(NOT resources MATCHES "VERSIONINFO")
  message(FATAL_ERROR "${MODULE} has no version resource")
endif()

set(expectations
  " FILEVERSION ${numericVersion}\n"
  " PRODUCTVERSION ${numericVersion}\n"
  "VALUE \"FileVersion\", \"${recordVersion}\"\n"
  "VALUE \"ProductVersion\", \"${recordVersion}\"\n"
  "VALUE \"FileDescription\", \"${recordDescription}\"\n"
  "VALUE \"OriginalFilename\", \"${fileName}\"\n"
  "VALUE \"InternalName\", \"${fileName}\"\n"
  "VALUE \"ProductName\", \"${recordClassName}\"\n")
foreach(expected IN LISTS expectations)
  string(FIND "${resources}" "${expected}" at)
  if(at EQUAL -1)
    string(STRIP "${expected}" shown)
    message(FATAL_ERROR "the version resource lacks: ${shown}\n--- it reads ---\n${resources}")
  endif()
endforeach()
message(STATUS "the version resource reads ${recordVersion}, \"${recordDescription}\"")
