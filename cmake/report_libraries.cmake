# The libraries `quorvel-host check` writes its reports with: pugixml (JUnit XML) and nlohmann-json
# (JSON), as the targets pugixml::pugixml and nlohmann_json::nlohmann_json. A native build finds
# Debian's packages (libpugixml-dev, nlohmann-json3-dev); a cross-build compiles pugixml and takes
# the json header from Debian's source packages of the very versions installed, as it does Dear ImGui.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(pugixml CONFIG REQUIRED)
  find_package(nlohmann_json 3 CONFIG REQUIRED)
  return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/debian_source_package.cmake)
set(QUORVEL_DEBIAN_SOURCES ${PROJECT_BINARY_DIR}/debian-sources)
quorvel_debian_source(pugixml libpugixml-dev ${QUORVEL_DEBIAN_SOURCES}/pugixml)
quorvel_debian_source(nlohmann-json3 nlohmann-json3-dev ${QUORVEL_DEBIAN_SOURCES}/nlohmann-json3)

add_library(pugixml_from_source STATIC ${QUORVEL_DEBIAN_SOURCES}/pugixml/src/pugixml.cpp)
target_include_directories(pugixml_from_source SYSTEM PUBLIC ${QUORVEL_DEBIAN_SOURCES}/pugixml/src)
# Not our sources: their warnings never fail the build.
set_target_properties(pugixml_from_source PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
add_library(pugixml::pugixml ALIAS pugixml_from_source)

add_library(nlohmann_json_from_source INTERFACE)
target_include_directories(nlohmann_json_from_source SYSTEM INTERFACE ${QUORVEL_DEBIAN_SOURCES}/nlohmann-json3/single_include)
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json_from_source)
