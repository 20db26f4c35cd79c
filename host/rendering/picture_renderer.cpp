#include "picture_renderer.h"

#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include "headless_gl_context.h"
#include "host_error.h"
#include "settings_window/headless_frames.h"

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
struct PictureRenderer::Parts {
    ~Parts() {
        // Another GL or Dear ImGui context may be current: the renderer frees its textures and
        // buffers on its own. If EGL refuses, they go with the GL context.
        try {
            gl.makeCurrent();
        } catch (const HostError&) {
        }
        ImGui::SetCurrentContext(frames.context());
    }

    HeadlessGlContext gl{kLargestWidth, kLargestHeight};
    HeadlessFrames frames{ImVec2(static_cast<float>(kLargestWidth), static_cast<float>(kLargestHeight))};
    OpenGl3Renderer renderer;
    // A picture whose drawing threw: the next starts afresh, as if it were the first.
    bool broken = false;
};

PictureRenderer::PictureRenderer() : parts_(std::make_unique<Parts>()) {}

PictureRenderer::~PictureRenderer() = default;

RgbImage PictureRenderer::render(int width, int height, const std::function<void(ImGuiContext*)>& draw) {
    if (width <= 0 || height <= 0 || width > kLargestWidth || height > kLargestHeight) {
        throw HostError("a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels cannot be drawn (at most " + std::to_string(kLargestWidth) + " x " +
                        std::to_string(kLargestHeight) + ")");
    }
    if (parts_->broken) {
        parts_.reset();
        parts_ = std::make_unique<Parts>();
    }
    // Another GL or Dear ImGui context may have been made current since the last frame.
    parts_->gl.makeCurrent();
    HeadlessFrames& frames = parts_->frames;
    ImGui::SetCurrentContext(frames.context());
    frames.io().DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    // The windows of the last picture are closed for one frame, an empty one, so that this picture
    // shows its windows as they open.
    if (ImGui::GetFrameCount() > 0) {
        frames.frame([] {});
    }
    parts_->broken = true;
    ImGui_ImplOpenGL3_NewFrame();
    frames.frame([&] { draw(frames.context()); });
    parts_->broken = false;

    // The picture is the bottom left of the off-screen surface, where OpenGL's rows start.
    glViewport(0, 0, width, height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return readFramebuffer(width, height);
}

}  // namespace host
