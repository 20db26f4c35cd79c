# Checks the Windows package as a player receives it: the zip and SHA256SUMS beside it, and the
# folder the zip unpacks to. scripts/test-windows runs it after unpacking the zip.
#
#   cmake -DPACKAGE_DIR=... -DNAME=Quorvel-VERSION-win64 -DUNPACKED=folder -DOBJDUMP=...
#         -P check_windows_package.cmake
#
# The zip is at most 4 MB and unpacks to at most 10 MB (the host with its validator and flight
# pictures unpacks to about 8.1 MB); it holds the binaries, the runtime DLLs,
# the scenarios and the players' guide; no binary keeps debug information or a link time; the
# guide is plain ASCII text in Windows lines (as Notepad shows it), names the panel's four settings,
# says that the zip does not load into the game and what a build for the game needs; SHA256SUMS
# names the zip with its checksum.
cmake_minimum_required(VERSION 3.25)

set(zipLimit 4000000)
set(unpackedLimit 10000000)
set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

set(zipFile ${PACKAGE_DIR}/${NAME}.zip)
if(NOT EXISTS ${zipFile})
  message(FATAL_ERROR "no package: ${zipFile} does not exist")
endif()

# The checksum file: one line, the zip's SHA-256 and its name, as sha256sum -c reads it.
if(NOT EXISTS ${PACKAGE_DIR}/SHA256SUMS)
  fail("${PACKAGE_DIR}/SHA256SUMS does not exist")
else()
  file(READ ${PACKAGE_DIR}/SHA256SUMS sums)
  file(SHA256 ${zipFile} hash)
  if(NOT sums STREQUAL "${hash}  ${NAME}.zip\n")
    fail("SHA256SUMS reads '${sums}', expected '${hash}  ${NAME}.zip' and a line end")
  endif()
endif()

file(SIZE ${zipFile} zipBytes)
if(zipBytes GREATER zipLimit)
  fail("${NAME}.zip has ${zipBytes} bytes, expected at most ${zipLimit}")
endif()

set(folder ${UNPACKED}/${NAME})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${folder} ${folder}/*)
set(unpackedBytes 0)
foreach(file IN LISTS files)
  file(SIZE ${folder}/${file} bytes)
  math(EXPR unpackedBytes "${unpackedBytes} + ${bytes}")
endforeach()
if(unpackedBytes GREATER unpackedLimit)
  fail("${NAME}.zip unpacks to ${unpackedBytes} bytes, expected at most ${unpackedLimit}")
endif()

set(binaries Quorvel.dll pluginsdk.dll quorvel-host.exe libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
foreach(expected IN LISTS binaries ITEMS README.txt scenarios/demo scenarios/record
    scenarios/golden/worked_example.scenario)
  if(NOT expected IN_LIST files)
    fail("${NAME}.zip lacks ${expected}")
  endif()
endforeach()

foreach(binary IN LISTS binaries)
  if(NOT EXISTS ${folder}/${binary})
    continue()
  endif()
  execute_process(COMMAND ${OBJDUMP} -h -p ${folder}/${binary}
    OUTPUT_VARIABLE headers RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    fail("${OBJDUMP} cannot read ${binary}: ${errors}")
    continue()
  endif()
  string(REGEX MATCHALL "\\.debug_[a-z_]+" debugSections "${headers}")
  if(debugSections)
    list(REMOVE_DUPLICATES debugSections)
    list(JOIN debugSections " " debugSections)
    fail("${binary} keeps debug information: ${debugSections}")
  endif()
  # The PE header's link time, as objdump prints the file header; 0 is the reproducible one.
  if(NOT headers MATCHES "\nTime/Date[\t ]+([^\n]+)")
    fail("${OBJDUMP} shows no link time for ${binary}")
    continue()
  endif()
  set(linkTime "${CMAKE_MATCH_1}")
  if(NOT linkTime MATCHES "^Thu Jan  1 00:00:00 1970")
    fail("${binary} carries the link time '${linkTime}', expected none (1970-01-01 00:00:00)")
  endif()
endforeach()

# The players' guide: ASCII in Windows lines throughout, the version filled in, the panel's labels,
# what the zip is not, what a build for the game must do, and where the host keeps the settings.
if(EXISTS ${folder}/README.txt)
  # file(READ) as text would hide carriage returns; the bytes are read as hexadecimal pairs.
  file(READ ${folder}/README.txt bytes HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  if(bytes MATCHES "(^| )[89a-f][0-9a-f] ")
    fail("README.txt has a byte that is not ASCII")
  endif()
  string(REPLACE "0d 0a " "" bytes "${bytes}")
  if(bytes MATCHES "(^| )(0a|0d) ")
    fail("README.txt has a line end other than CR LF")
  endif()
  file(READ ${folder}/README.txt guide)
  foreach(phrase "Active for blue team" "Active for orange team" "Speed Factor" "% Trajectory Alterable"
      "Quorvel.dll" "quorvel-host.exe run scenarios\\demo" "It does not load into the game"
      "no floating-point contraction and no fast-math" "exports and the functions getPlugin and deleteMe"
      "%APPDATA%\\quorvel\\host.cfg")
    string(FIND "${guide}" "${phrase}" at)
    if(at EQUAL -1)
      fail("README.txt does not mention '${phrase}'")
    endif()
  endforeach()
  if(guide MATCHES "@[A-Z_]+@")
    fail("README.txt keeps the placeholder ${CMAKE_MATCH_0}")
  endif()
endif()

if(failures)
  list(JOIN failures "\n  " report)
  message(FATAL_ERROR "${NAME}.zip is not as players should get it:\n  ${report}")
endif()
list(LENGTH files count)
message(STATUS "${NAME}.zip: ${zipBytes} bytes; ${count} files, ${unpackedBytes} bytes unpacked; "
  "binaries without debug information or link time; the guide in ASCII and CR LF lines; SHA256SUMS matches")
