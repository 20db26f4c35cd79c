# The Windows package: a zip named with the version (Quorvel-1.0.0.37-win64.zip) holding the
# module, the SDK library, the stand-in host, the runtime DLLs they share, and the scenarios.
# `cpack --preset windows` builds it after the build (scripts/package-windows does both).

# The binaries without their debug information (CPACK_STRIP_FILES); the import libraries stay out.
install(TARGETS Quorvel pluginsdk quorvel-host
  RUNTIME DESTINATION .
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(FILES ${QUORVEL_RUNTIME_DLLS} DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenarios DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Quorvel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES TRUE)
include(CPack)
