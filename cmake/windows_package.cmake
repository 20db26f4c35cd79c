# The Windows package: a zip named with the version (Quorvel-1.0.0.37-win64.zip) holding the
# module, the SDK library, the stand-in host, the runtime DLLs they share, and the scenarios.
# `cpack --preset windows` builds it after the build (scripts/package-windows does both).

install(FILES
  $<TARGET_FILE:Quorvel>
  $<TARGET_FILE:pluginsdk>
  ${QUORVEL_RUNTIME_DLLS}
  DESTINATION .)
install(PROGRAMS $<TARGET_FILE:quorvel-host> DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenarios DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Quorvel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
