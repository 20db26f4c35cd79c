# The Windows package: build/windows/package/Quorvel-VERSION-win64.zip holding the module, the SDK
# library, the stand-in host, the runtime DLLs they share (all without debug information), the
# scenarios and the players' guide README.txt; SHA256SUMS beside it. The target windows_zip builds
# the binaries and packs them (scripts/package-windows); cmake/pack_windows_zip.cmake says how the
# same sources give the same bytes.

find_program(QUORVEL_ZIP zip REQUIRED)
find_program(QUORVEL_TOUCH touch REQUIRED)
find_package(Git QUIET)

set(QUORVEL_PACKAGE_NAME Quorvel-${PROJECT_VERSION}-win64)
set(packagedBinaries
  $<TARGET_FILE:Quorvel> $<TARGET_FILE:pluginsdk> $<TARGET_FILE:quorvel-host> ${QUORVEL_RUNTIME_DLLS})
list(JOIN packagedBinaries "|" packagedBinaries)

add_custom_target(windows_zip
  COMMAND ${CMAKE_COMMAND}
    -DPACKAGE_DIR=${PROJECT_BINARY_DIR}/package
    -DNAME=${QUORVEL_PACKAGE_NAME}
    "-DBINARIES=${packagedBinaries}"
    -DSCENARIOS=${PROJECT_SOURCE_DIR}/scenarios
    -DGUIDE=${PROJECT_SOURCE_DIR}/package/README.txt
    -DVERSION=${PROJECT_VERSION}
    -DSTRIP=${CMAKE_STRIP}
    -DZIP=${QUORVEL_ZIP}
    -DTOUCH=${QUORVEL_TOUCH}
    -DGIT=${GIT_EXECUTABLE}
    -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -P ${PROJECT_SOURCE_DIR}/cmake/pack_windows_zip.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/pack_windows_zip.cmake ${PROJECT_SOURCE_DIR}/package/README.txt
  COMMENT "Packing ${QUORVEL_PACKAGE_NAME}.zip and SHA256SUMS"
  VERBATIM)
add_dependencies(windows_zip Quorvel pluginsdk quorvel-host)
