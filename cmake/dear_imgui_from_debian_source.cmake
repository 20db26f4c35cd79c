# Dear ImGui for a cross-build (Windows) or a sanitizer build, as the static library `dear_imgui`: compiled from Debian's
# source package of the very version the Linux build takes from libimgui-dev, configured the way
# Debian's build configures it. Debian builds Dear ImGui against the distribution's stb: its font
# rasteriser and rectangle packer come from libstb (the same source package that libstb-dev
# installs), not from the copies inside Dear ImGui, so this build takes them from there as well.
#
# Debian's library also holds the renderer and platform back-ends (GLFW, OpenGL, SDL, ...) and the
# FreeType rasteriser; none of their dependencies exists for Windows here and the module uses none
# of them, so a cross-build compiles only the core and the standard-string helpers. A native build
# adds the two back-ends the host uses: OpenGL 3 and GLFW.

include(${CMAKE_CURRENT_LIST_DIR}/debian_source_package.cmake)

set(QUORVEL_DEBIAN_SOURCES ${PROJECT_BINARY_DIR}/debian-sources)
set(IMGUI_SOURCE_DIR ${QUORVEL_DEBIAN_SOURCES}/imgui)
# Unpacked into a directory named stb, since Debian's Dear ImGui includes <stb/stb_truetype.h>.
set(STB_INCLUDE_ROOT ${QUORVEL_DEBIAN_SOURCES}/stb-include)
quorvel_debian_source(imgui libimgui-dev ${IMGUI_SOURCE_DIR})
quorvel_debian_source(libstb libstb-dev ${STB_INCLUDE_ROOT}/stb)
file(STRINGS ${IMGUI_SOURCE_DIR}/imgui.h IMGUI_VERSION_LINE REGEX "^#define IMGUI_VERSION ")
if(NOT IMGUI_VERSION_LINE MATCHES "\"1\\.86\"")
  message(FATAL_ERROR "Debian's Dear ImGui source is not release 1.86: ${IMGUI_VERSION_LINE}")
endif()

# Debian's Dear ImGui and stb builds use -O2 -g, with -Wall -pedantic and, for stb, -fwrapv, and
# keep assertions (no NDEBUG, which our build type would add). These are not our sources: their
# warnings are shown but never fail the build, even where the presets make ours errors
# (COMPILE_WARNING_AS_ERROR OFF below). The hardening options of Debian's build (stack protector,
# _FORTIFY_SOURCE) would need MinGW's libssp and are left out.
set(QUORVEL_DEBIAN_LIBRARY_OPTIONS -O2 -g -UNDEBUG -Wall -pedantic -ffp-contract=off)
# A sanitizer build instruments these sources too: that is why it compiles them.
if(QUORVEL_SANITIZERS)
  list(APPEND QUORVEL_DEBIAN_LIBRARY_OPTIONS -fsanitize=${QUORVEL_SANITIZERS} -fno-omit-frame-pointer)
endif()

enable_language(C)
add_library(stb_static STATIC ${STB_INCLUDE_ROOT}/stb/stb_rect_pack_truetype.c)
set_target_properties(stb_static PROPERTIES
  COMPILE_OPTIONS "${QUORVEL_DEBIAN_LIBRARY_OPTIONS};-fwrapv"
  COMPILE_WARNING_AS_ERROR OFF)
target_include_directories(stb_static INTERFACE ${STB_INCLUDE_ROOT})
if(NOT CMAKE_CROSSCOMPILING)
  # The native host also writes and reads PNG pictures with stb, which Debian's libstb compiles
  # from each header with its implementation switched on; and it includes stb's headers by their
  # bare names, as libstb-dev's pkg-config file lets it.
  foreach(header stb_image stb_image_write)
    string(TOUPPER ${header} upper)
    set(implementation ${PROJECT_BINARY_DIR}/stb-implementations/${header}.c)
    file(CONFIGURE OUTPUT ${implementation}
      CONTENT "#define ${upper}_IMPLEMENTATION\n#include <stb/${header}.h>\n")
    target_sources(stb_static PRIVATE ${implementation})
  endforeach()
  target_compile_definitions(stb_static PRIVATE STB_DEFINE STB_PERFECT_HASH)
  target_include_directories(stb_static PRIVATE ${STB_INCLUDE_ROOT})
  target_include_directories(stb_static INTERFACE ${STB_INCLUDE_ROOT}/stb)
  # Both are linked into shared objects (the module links Dear ImGui), as Debian's -fPIC builds are.
  set_target_properties(stb_static PROPERTIES POSITION_INDEPENDENT_CODE ON)
endif()

add_library(dear_imgui STATIC
  ${IMGUI_SOURCE_DIR}/imgui.cpp
  ${IMGUI_SOURCE_DIR}/imgui_demo.cpp
  ${IMGUI_SOURCE_DIR}/imgui_draw.cpp
  ${IMGUI_SOURCE_DIR}/imgui_tables.cpp
  ${IMGUI_SOURCE_DIR}/imgui_widgets.cpp
  ${IMGUI_SOURCE_DIR}/misc/cpp/imgui_stdlib.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  set_target_properties(dear_imgui PROPERTIES POSITION_INDEPENDENT_CODE ON)
  find_package(glfw3 3.3 REQUIRED)
  target_sources(dear_imgui PRIVATE
    ${IMGUI_SOURCE_DIR}/backends/imgui_impl_glfw.cpp
    ${IMGUI_SOURCE_DIR}/backends/imgui_impl_opengl3.cpp)
  # The OpenGL 3 back-end finds OpenGL's functions at run time (dlopen); GLFW's headers only here.
  target_include_directories(dear_imgui PRIVATE $<TARGET_PROPERTY:glfw,INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(dear_imgui PRIVATE ${CMAKE_DL_LIBS})
  # As with Debian's library, whoever uses Dear ImGui gets stb with it, headers included.
  target_link_libraries(dear_imgui PUBLIC stb_static)
endif()
# Debian's compiler builds it in its default dialect, GNU C++17.
set_target_properties(dear_imgui PROPERTIES
  COMPILE_OPTIONS "${QUORVEL_DEBIAN_LIBRARY_OPTIONS}"
  COMPILE_WARNING_AS_ERROR OFF
  CXX_STANDARD 17
  CXX_EXTENSIONS ON)
# Debian's configuration (its Makefile's CPPFLAGS): stb's implementations are not compiled into
# Dear ImGui but linked from libstb, and its headers are the distribution's.
target_compile_definitions(dear_imgui PRIVATE
  IMGUI_DISABLE_STB_RECT_PACK_IMPLEMENTATION
  "IMGUI_STB_RECT_PACK_FILENAME=<stb/stb_rect_pack.h>"
  IMGUI_DISABLE_STB_TRUETYPE_IMPLEMENTATION
  "IMGUI_STB_TRUETYPE_FILENAME=<stb/stb_truetype.h>")
target_include_directories(dear_imgui PUBLIC ${IMGUI_SOURCE_DIR})
target_link_libraries(dear_imgui PRIVATE stb_static)
