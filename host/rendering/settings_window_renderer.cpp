#include "settings_window_renderer.h"

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include "headless_gl_context.h"
#include "png_file.h"
#include "render_error.h"
#include "settings_window/host_imgui_context.h"
#include "settings_window/settings_window.h"

namespace host {
namespace {

// Dear ImGui's OpenGL 3 renderer on the current GL and Dear ImGui contexts, for the lifetime of
// this object.
class OpenGl3Renderer {
public:
    OpenGl3Renderer() {
        // With no version given it picks the GLSL dialect for OpenGL 3.0, which the 3.3 context has.
        if (!ImGui_ImplOpenGL3_Init(nullptr)) {
            throw RenderError("software OpenGL without a display: Dear ImGui's OpenGL 3 renderer could not start");
        }
    }
    ~OpenGl3Renderer() { ImGui_ImplOpenGL3_Shutdown(); }
    OpenGl3Renderer(const OpenGl3Renderer&) = delete;
    OpenGl3Renderer& operator=(const OpenGl3Renderer&) = delete;
};

}  // namespace

// Declared in the order they are set up; they are torn down in reverse, so the plug-in gives the
// context back before the renderer stops, and the GL context goes last.
struct SettingsWindowRenderer::Parts {
    Parts(LoadedPlugin& plugin, int width, int height) : gl(width, height), window(plugin, imgui.get()) {}

    HeadlessGlContext gl;
    HostImGuiContext imgui;
    OpenGl3Renderer renderer;
    SettingsWindow window;
};

SettingsWindowRenderer::SettingsWindowRenderer(LoadedPlugin& plugin, int width, int height)
    : parts_(std::make_unique<Parts>(plugin, width, height)) {}

SettingsWindowRenderer::~SettingsWindowRenderer() = default;

RgbImage SettingsWindowRenderer::renderFrame() {
    ImGuiIO& io = parts_->imgui.io();
    const ImVec2 size(static_cast<float>(parts_->gl.width()), static_cast<float>(parts_->gl.height()));
    io.DisplaySize = size;
    io.DeltaTime = 1.0f / 60.0f;

    ImGui_ImplOpenGL3_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(size);
    parts_->window.draw();
    ImGui::Render();

    glViewport(0, 0, parts_->gl.width(), parts_->gl.height());
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return parts_->gl.readPixels();
}

void writeSettingsWindowPng(LoadedPlugin& plugin, const std::string& path) {
    SettingsWindowRenderer renderer(plugin);
    writePng(path, renderer.renderFrame());
}

}  // namespace host
