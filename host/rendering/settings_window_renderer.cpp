#include "settings_window_renderer.h"

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include "headless_gl_context.h"
#include "host_error.h"
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
            throw HostError("software OpenGL without a display: Dear ImGui's OpenGL 3 renderer could not start");
        }
    }
    ~OpenGl3Renderer() { ImGui_ImplOpenGL3_Shutdown(); }
    OpenGl3Renderer(const OpenGl3Renderer&) = delete;
    OpenGl3Renderer& operator=(const OpenGl3Renderer&) = delete;
};

}  // namespace

// Declared in the order they are set up; they are torn down in reverse, so the renderer stops
// before its Dear ImGui context goes, and the GL context goes last.
struct SettingsWindowRenderer::Parts {
    Parts(int width, int height) : gl(width, height) {}

    HeadlessGlContext gl;
    HostImGuiContext imgui;
    OpenGl3Renderer renderer;
};

SettingsWindowRenderer::SettingsWindowRenderer(int width, int height)
    : parts_(std::make_unique<Parts>(width, height)) {}

SettingsWindowRenderer::~SettingsWindowRenderer() {
    // Another GL or Dear ImGui context may be current: the renderer frees its textures and buffers
    // on its own. If EGL refuses, they go with the GL context.
    try {
        parts_->gl.makeCurrent();
    } catch (const HostError&) {
    }
    ImGui::SetCurrentContext(parts_->imgui.get());
}

RgbImage SettingsWindowRenderer::renderFrame(LoadedPlugin& plugin) {
    // Another GL or Dear ImGui context may have been made current since the last frame.
    parts_->gl.makeCurrent();
    ImGui::SetCurrentContext(parts_->imgui.get());
    ImGuiIO& io = parts_->imgui.io();
    const ImVec2 size(static_cast<float>(parts_->gl.width()), static_cast<float>(parts_->gl.height()));
    io.DisplaySize = size;
    io.DeltaTime = 1.0f / 60.0f;
    // Every picture shows the window as it appears, in the frame in which it opens (a window that
    // stays open is drawn differently: focus settles after its first frame). So the window is
    // closed for one frame, an empty one, before each picture after the first.
    if (ImGui::GetFrameCount() > 0) {
        ImGui::NewFrame();
        ImGui::Render();
    }
    // Hands the context to the plug-in for this frame and takes it back when the call ends.
    SettingsWindow window(plugin, parts_->imgui.get());

    ImGui_ImplOpenGL3_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(size);
    window.draw();
    ImGui::Render();

    glViewport(0, 0, parts_->gl.width(), parts_->gl.height());
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return parts_->gl.readPixels();
}

}  // namespace host
