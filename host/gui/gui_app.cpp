#include "gui_app.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include <GLFW/glfw3.h>
#include <imgui.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>

#include "game_window.h"
#include "settings_window/host_imgui_context.h"
#include "settings_window/settings_window.h"

namespace host {
namespace {

bool displayNamed() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

std::string glfwProblem() {
    const char* description = nullptr;
    glfwGetError(&description);
    return description != nullptr ? description : "no reason given";
}

// GLFW for as long as the live window runs.
struct GlfwLibrary {
    GlfwLibrary() : started(glfwInit() == GLFW_TRUE) {}
    ~GlfwLibrary() {
        if (started) {
            glfwTerminate();
        }
    }
    GlfwLibrary(const GlfwLibrary&) = delete;
    GlfwLibrary& operator=(const GlfwLibrary&) = delete;
    bool started;
};

struct WindowDestroyer {
    void operator()(GLFWwindow* window) const { glfwDestroyWindow(window); }
};

// Dear ImGui's GLFW input and OpenGL 3 renderer on the host's current context.
class ImGuiBackends {
public:
    explicit ImGuiBackends(GLFWwindow* window) {
        ImGui_ImplGlfw_InitForOpenGL(window, true);
        ImGui_ImplOpenGL3_Init(nullptr);
    }
    ~ImGuiBackends() {
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplGlfw_Shutdown();
    }
    ImGuiBackends(const ImGuiBackends&) = delete;
    ImGuiBackends& operator=(const ImGuiBackends&) = delete;
};

// With separate threads the game runs on its own thread at a fixed tick, its clock following real
// time, for as long as this object lives.
class GameThreadClock {
public:
    explicit GameThreadClock(HostSession& session) : game_(session.threads().thread(HostThread::Game)) {
        if (game_ == nullptr) {
            return;
        }
        pluginsdk::World& world = session.world();
        // The tick is copied for each run: the time of the last one lives outside it.
        auto last = std::make_shared<TaskThread::Clock::time_point>(TaskThread::Clock::now());
        game_->setTick(kTick, [&world, last] {
            const TaskThread::Clock::time_point now = TaskThread::Clock::now();
            world.advanceClock(std::chrono::duration<double>(now - *last).count());
            *last = now;
        });
    }
    ~GameThreadClock() {
        if (game_ != nullptr) {
            game_->setTick({}, nullptr);
        }
    }
    GameThreadClock(const GameThreadClock&) = delete;
    GameThreadClock& operator=(const GameThreadClock&) = delete;

private:
    static constexpr std::chrono::milliseconds kTick{5};
    TaskThread* game_;
};

void runFrames(GLFWwindow* window, HostSession& session, ImGuiContext* context) {
    ImGuiBackends backends(window);
    // The settings window is built on this, the main, thread: it is the render thread.
    SettingsWindow settings(session.plugin(), context);
    GameWindow game(session);
    const GameThreadClock clock(session);
    while (glfwWindowShouldClose(window) == GLFW_FALSE) {
        glfwPollEvents();
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplGlfw_NewFrame();
        ImGui::NewFrame();

        game.advance(static_cast<double>(ImGui::GetIO().DeltaTime));
        ImGui::SetNextWindowPos(ImVec2(10.0f, 10.0f), ImGuiCond_FirstUseEver);
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(SettingsWindow::kDefaultWidth),
                                        static_cast<float>(SettingsWindow::kDefaultHeight)),
                                 ImGuiCond_FirstUseEver);
        settings.draw();
        game.draw();

        ImGui::Render();
        int width = 0;
        int height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        glViewport(0, 0, width, height);
        glClearColor(0.10f, 0.12f, 0.14f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        glfwSwapBuffers(window);
    }
}

}  // namespace

int runGui(HostSession& session, std::ostream& errors) {
    if (!displayNamed()) {
        errors << "quorvel-host: gui needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                  "Run it in a desktop session, or use 'quorvel-host panel --png FILE' for a picture of the\n"
                  "settings window without one.\n";
        return 1;
    }
    GlfwLibrary glfw;
    if (!glfw.started) {
        errors << "quorvel-host: gui needs a display, and cannot open one: " << glfwProblem() << '\n';
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    const std::unique_ptr<GLFWwindow, WindowDestroyer> window(
        glfwCreateWindow(1040, 660, "Quorvel - stand-in host", nullptr, nullptr));
    if (!window) {
        errors << "quorvel-host: gui cannot open an OpenGL 3 window: " << glfwProblem() << '\n';
        return 1;
    }
    glfwMakeContextCurrent(window.get());
    glfwSwapInterval(1);

    try {
        session.load();
        {
            HostImGuiContext context;
            runFrames(window.get(), session, context.get());
        }
        session.unload();
    } catch (const CommandError& error) {
        errors << "quorvel-host: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace host
