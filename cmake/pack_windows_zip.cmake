# Packs the Windows zip, reproducibly, and writes SHA256SUMS beside it. Run by the target
# windows_zip (cmake/windows_package.cmake) after the binaries are built:
#
#   cmake -DPACKAGE_DIR=... -DNAME=Quorvel-VERSION-win64 -DBINARIES="a.dll|b.exe" -DSCENARIOS=dir
#         -DGUIDE=file -DVERSION=x.y.z.w -DSTRIP=... -DZIP=... -DTOUCH=... [-DGIT=...]
#         -DSOURCE_DIR=... -P pack_windows_zip.cmake
#
# The same sources give the same zip, byte for byte: binaries are stripped of their debug
# information with the PE header time fixed at 0; every file gets the same permissions and one
# modification time (SOURCE_DATE_EPOCH if set, otherwise the time of the last commit); the zip
# holds its files in byte order of their names and no owner, group or extra times. The zip and
# SHA256SUMS are written under temporary names and renamed, so either is whole or absent.
cmake_minimum_required(VERSION 3.25)

foreach(required PACKAGE_DIR NAME BINARIES SCENARIOS GUIDE VERSION STRIP ZIP TOUCH SOURCE_DIR)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "pack_windows_zip: ${required} is not given")
  endif()
endforeach()
string(REPLACE "|" ";" BINARIES "${BINARIES}")

# One modification time for every file in the zip.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
elseif(GIT)
  execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    set(epoch "")
  endif()
endif()
if(NOT epoch)
  # No history to take a time from (a source tarball): the zip format's earliest date.
  set(epoch 315532800)
endif()
if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS 315532800)
  message(FATAL_ERROR "pack_windows_zip: SOURCE_DATE_EPOCH is '${epoch}'; "
    "expected whole seconds since 1970 from 1980-01-01 (315532800) on, the earliest time a zip holds")
endif()

# A failed run leaves no zip and no checksum of an earlier one behind.
file(REMOVE ${PACKAGE_DIR}/${NAME}.zip ${PACKAGE_DIR}/SHA256SUMS)

set(stageRoot ${PACKAGE_DIR}/stage)
set(stage ${stageRoot}/${NAME})
file(REMOVE_RECURSE ${stageRoot})
file(MAKE_DIRECTORY ${stage})

# Copies, stripped; the originals (the runtime DLLs are Debian's installed files) are only read.
foreach(binary IN LISTS BINARIES)
  get_filename_component(fileName ${binary} NAME)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${STRIP} --strip-debug -o ${stage}/${fileName} ${binary}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT EXISTS ${stage}/${fileName})
    message(FATAL_ERROR "pack_windows_zip: cannot strip ${binary}: ${errors}")
  endif()
  file(CHMOD ${stage}/${fileName} PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

file(COPY ${SCENARIOS} DESTINATION ${stage})

# The players' guide with Windows line endings, so that every Windows editor shows its lines.
file(READ ${GUIDE} guide)
string(REPLACE "\r" "" guide "${guide}")
string(REPLACE "@VERSION@" "${VERSION}" guide "${guide}")
string(REPLACE "\n" "\r\n" guide "${guide}")
file(WRITE ${stage}/README.txt "${guide}")

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${stageRoot} ${stage}/*)
list(SORT files COMPARE STRING)
set(unpackedBytes 0)
set(absoluteFiles "")
foreach(file IN LISTS files)
  if(NOT file MATCHES "\\.(dll|exe)$")
    file(CHMOD ${stageRoot}/${file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  file(SIZE ${stageRoot}/${file} bytes)
  math(EXPR unpackedBytes "${unpackedBytes} + ${bytes}")
  list(APPEND absoluteFiles ${stageRoot}/${file})
endforeach()
execute_process(COMMAND ${TOUCH} -d @${epoch} ${absoluteFiles} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pack_windows_zip: cannot set the files' times")
endif()
list(JOIN files "\n" fileList)
file(WRITE ${PACKAGE_DIR}/${NAME}.files "${fileList}\n")

set(zipFile ${PACKAGE_DIR}/${NAME}.zip)
set(partialZip ${PACKAGE_DIR}/${NAME}.partial.zip)
file(REMOVE ${partialZip})
# -X: no owner, group or extra times; -D: no folder entries; names in the given order. zip writes a
# file's time as local time: UTC makes it the same everywhere.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -D -q -9 ${partialZip} -@
  WORKING_DIRECTORY ${stageRoot}
  INPUT_FILE ${PACKAGE_DIR}/${NAME}.files
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  file(REMOVE ${partialZip})
  message(FATAL_ERROR "pack_windows_zip: zip failed: ${errors}")
endif()
file(RENAME ${partialZip} ${zipFile})

file(SHA256 ${zipFile} hash)
file(WRITE ${PACKAGE_DIR}/SHA256SUMS.partial "${hash}  ${NAME}.zip\n")
file(RENAME ${PACKAGE_DIR}/SHA256SUMS.partial ${PACKAGE_DIR}/SHA256SUMS)

file(SIZE ${zipFile} zipBytes)
list(LENGTH files count)
message(STATUS "${zipFile}: ${zipBytes} bytes, ${count} files, ${unpackedBytes} bytes unpacked")
message(STATUS "${PACKAGE_DIR}/SHA256SUMS: ${hash}  ${NAME}.zip")
