# Dear ImGui 1.86 from the distribution (Debian's libimgui-dev), as the static library `dear_imgui`.
# Debian builds it against the distribution's stb (font rasteriser and rectangle packer), so stb's
# static library comes with it. The host and the module each link their own copy; the module hides
# its copy's symbols.
#
# A cross-build cannot link the build machine's library; it compiles the same sources instead. So
# does a ThreadSanitizer build (QUORVEL_DEAR_IMGUI_FROM_SOURCE): code it has not instrumented shows
# as false races, and the host's and the module's Dear ImGui run on the render thread beside the
# game thread.
option(QUORVEL_DEAR_IMGUI_FROM_SOURCE "Compile Dear ImGui from Debian's source package instead of linking libimgui.a" OFF)
if(CMAKE_CROSSCOMPILING OR QUORVEL_DEAR_IMGUI_FROM_SOURCE)
  include(${CMAKE_CURRENT_LIST_DIR}/dear_imgui_from_debian_source.cmake)
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(IMGUI REQUIRED imgui=1.86)
pkg_check_modules(STB REQUIRED stb)
find_library(IMGUI_STATIC_LIBRARY NAMES libimgui.a PATHS ${IMGUI_LIBDIR} NO_DEFAULT_PATH REQUIRED)
find_library(STB_STATIC_LIBRARY NAMES libstb.a PATHS ${STB_LIBDIR} NO_DEFAULT_PATH REQUIRED)

add_library(stb_static STATIC IMPORTED GLOBAL)
set_target_properties(stb_static PROPERTIES
  IMPORTED_LOCATION ${STB_STATIC_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES "${STB_INCLUDE_DIRS}")

add_library(dear_imgui STATIC IMPORTED GLOBAL)
set_target_properties(dear_imgui PROPERTIES
  IMPORTED_LOCATION ${IMGUI_STATIC_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES "${IMGUI_INCLUDE_DIRS}"
  INTERFACE_LINK_LIBRARIES stb_static)
