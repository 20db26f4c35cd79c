#include "settings_window_renderer.h"

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include "headless_gl_context.h"
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

// One frame's Dear ImGui context with the renderer on it. Declared in the order they are set up;
// torn down in reverse, the context current, so the renderer stops before its context goes.
struct FrameContext {
    explicit FrameContext(ImFontAtlas* fonts) : imgui(fonts) {}
    ~FrameContext() { ImGui::SetCurrentContext(imgui.get()); }
    FrameContext(const FrameContext&) = delete;
    FrameContext& operator=(const FrameContext&) = delete;

    HostImGuiContext imgui;
    OpenGl3Renderer renderer;
};

}  // namespace

// What is kept from frame to frame: the GL context, and the font atlas, built at the first frame.
// Each frame is built on a Dear ImGui context of its own, so that every picture shows the window
// as a first frame does (a context's later frames differ: the window has taken the focus), and the
// same settings always give the same picture. The last frame's context stays until the next
// frame, so what it laid out can still be read. Torn down in reverse: frame, fonts, GL context.
struct SettingsWindowRenderer::Parts {
    Parts(int width, int height) : gl(width, height) {}

    HeadlessGlContext gl;
    ImFontAtlas fonts;
    std::unique_ptr<FrameContext> lastFrame;
};

SettingsWindowRenderer::SettingsWindowRenderer(int width, int height)
    : parts_(std::make_unique<Parts>(width, height)) {}

SettingsWindowRenderer::~SettingsWindowRenderer() {
    // Another GL context may be current: the renderer frees its textures and buffers on its own.
    // If EGL refuses, they go with the GL context.
    try {
        parts_->gl.makeCurrent();
    } catch (const RenderError&) {
    }
    parts_->lastFrame.reset();
}

ImGuiContext* SettingsWindowRenderer::context() const {
    return parts_->lastFrame ? parts_->lastFrame->imgui.get() : nullptr;
}

RgbImage SettingsWindowRenderer::renderFrame(LoadedPlugin& plugin) {
    // Another GL context may have been made current since the last frame.
    parts_->gl.makeCurrent();
    parts_->lastFrame.reset();
    parts_->lastFrame = std::make_unique<FrameContext>(&parts_->fonts);
    HostImGuiContext& imgui = parts_->lastFrame->imgui;
    // Hands the context to the plug-in for this frame and takes it back when the call ends.
    SettingsWindow window(plugin, imgui.get());

    ImGuiIO& io = imgui.io();
    const ImVec2 size(static_cast<float>(parts_->gl.width()), static_cast<float>(parts_->gl.height()));
    io.DisplaySize = size;
    io.DeltaTime = 1.0f / 60.0f;

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
