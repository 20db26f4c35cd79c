#include "gui_app.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <GLFW/glfw3.h>
#include <imgui.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>

#include "arena_window.h"
#include "config/settings_autosave.h"
#include "game_window.h"
#include "log_window.h"
#include "preview_window.h"
#include "session/module_watcher.h"
#include "host_error.h"
#include "platform/files.h"
#include "platform/process.h"
#include "printable_text.h"
#include "rendering/png_file.h"
#include "settings_window/host_imgui_context.h"
#include "settings_window/settings_window.h"
#include "settings_window/widget_layout_log.h"

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


// How long the settings and the module file must stay unchanged before the window saves or reloads.
constexpr double kQuietSeconds = 0.5;

class LiveWindow {
public:
    LiveWindow(GLFWwindow* window, HostSession& session, ImGuiContext* context, const GuiOptions& options,
               std::ostream& errors)
        : window_(window), session_(session), context_(context), errors_(errors), backends_(window), game_(session),
          arena_(session), preview_(session), log_(session), gameClock_(session) {
        openSettingsWindow();
        game_.onReload([this] { reloadRequested_ = true; });
        if (options.watch) {
            watcher_.emplace(session_.modulePath(), kQuietSeconds);
        }
        if (options.settings != nullptr) {
            autosave_.emplace(*options.settings, kQuietSeconds);
        }
        if (!options.layoutFile.empty()) {
            layout_.emplace(options.layoutFile);
            layoutObserver_ = session_.addSdkCallObserver([this](const pluginsdk::SdkCall& call) { layout_->sdkCall(call); });
            const DrawnItem drawn = [this](const std::string& name, ImVec2 min, ImVec2 max, const std::string& text) {
                if (layout_) {
                    layout_->add(name, min, max, text);
                }
            };
            game_.onItemDrawn(drawn);
            arena_.onItemDrawn(drawn);
            log_.onItemDrawn(drawn);
        }
        screenshotFile_ = options.screenshotFile;
        showModuleState();
    }

    ~LiveWindow() { stopLayout(); }
    LiveWindow(const LiveWindow&) = delete;
    LiveWindow& operator=(const LiveWindow&) = delete;

    // Whether something the window was asked to write could not be written.
    bool failed() const { return failed_; }

    void run() {
        while (glfwWindowShouldClose(window_) == GLFW_FALSE && pendingStopSignal() == 0) {
            frame();
            // The plug-in's log lines reach whoever reads standard output as they come.
            session_.out() << std::flush;
            const double now = glfwGetTime();
            if (autosave_) {
                if (const auto problem = autosave_->poll(now, session_.world().variables())) {
                    report(*problem);
                }
            }
            if (watcher_ && watcher_->poll(now)) {
                reloadRequested_ = true;
            }
            if (reloadRequested_) {
                reloadRequested_ = false;
                reload();
            }
            // A plug-in whose own code called deleteMe (said in the log) has no object to draw.
            if (session_.loaded() && session_.plugin().releasedItself()) {
                settings_.reset();
                session_.unloadIfReleased();
            }
        }
        if (!screenshotFile_.empty()) {
            takeScreenshot();
        }
        // The plug-in lets go of the context before it is unloaded.
        settings_.reset();
    }

private:
    // Builds and draws one frame; shows it unless `present` is false (the picture is then read
    // from the frame not yet shown).
    void frame(bool present = true) {
        glfwPollEvents();
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplGlfw_NewFrame();
        ImGui::NewFrame();
        if (layout_) {
            layout_->beginFrame();
        }

        game_.advance(static_cast<double>(ImGui::GetIO().DeltaTime));
        log_.collectFailures();
        if (settings_) {
            ImGui::SetNextWindowPos(ImVec2(10.0f, 10.0f), ImGuiCond_FirstUseEver);
            ImGui::SetNextWindowSize(ImVec2(static_cast<float>(SettingsWindow::kDefaultWidth),
                                            static_cast<float>(SettingsWindow::kDefaultHeight)),
                                     ImGuiCond_FirstUseEver);
            try {
                if (layout_) {
                    settings_->draw([this](bool drawing) { drawing ? layout_->beginPanel() : layout_->endPanel(); });
                } else {
                    settings_->draw();
                }
            } catch (const HostError& error) {
                // Drawn again it would fail again, every frame: the panel is left out until a reload.
                settings_.reset();
                report(std::string(error.what()) + "; the panel is not drawn until the module is reloaded");
            }
        }
        preview_.draw(game_.touchVelocity());
        arena_.draw();
        game_.draw();
        log_.draw();
        if (layout_) {
            if (const auto problem = layout_->endFrame()) {
                report("cannot write the layout: " + *problem);
                failed_ = true;
                stopLayout();
            }
        }

        ImGui::Render();
        int width = 0;
        int height = 0;
        glfwGetFramebufferSize(window_, &width, &height);
        glViewport(0, 0, width, height);
        glClearColor(0.10f, 0.12f, 0.14f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        if (present) {
            glfwSwapBuffers(window_);
        }
    }

    void takeScreenshot() {
        frame(false);
        int width = 0;
        int height = 0;
        glfwGetFramebufferSize(window_, &width, &height);
        glReadBuffer(GL_BACK);
        try {
            writePng(screenshotFile_, readFramebuffer(width, height));
        } catch (const HostError& error) {
            report(error.what());
            failed_ = true;
        }
    }

    // Unload, then load the same file; the variables stay in the world, so their values stay.
    void reload() {
        settings_.reset();
        try {
            session_.reload();
            session_.out() << "quorvel-host: reloaded " << printable(session_.modulePath()) << '\n' << std::flush;
            log_.note("reloaded " + session_.modulePath());
        } catch (const HostError& error) {
            report("reload: " + std::string(error.what()));
        }
        preview_.moduleChanged();
        openSettingsWindow();
        showModuleState();
    }

    // The settings window of the plug-in loaded, if one is; a plug-in whose panel cannot be opened is
    // reported, and the window goes on without it.
    void openSettingsWindow() {
        if (!session_.loaded()) {
            return;
        }
        try {
            settings_.emplace(session_.plugin(), context_);
        } catch (const HostError& error) {
            report(error.what());
        }
    }

    // The observer is done with the layout once removed.
    void stopLayout() {
        if (layoutObserver_ != 0) {
            session_.removeSdkCallObserver(std::exchange(layoutObserver_, 0));
        }
        layout_.reset();
    }

    void report(const std::string& problem) {
        session_.out() << std::flush;
        errors_ << "quorvel-host: " << printable(problem) << '\n' << std::flush;
        log_.report(problem);
    }

    void showModuleState() {
        game_.setModuleState(session_.loaded() ? "loaded" : "not loaded");
    }

    GLFWwindow* window_;
    HostSession& session_;
    ImGuiContext* context_;
    std::ostream& errors_;
    ImGuiBackends backends_;
    GameWindow game_;
    ArenaWindow arena_;
    PreviewWindow preview_;
    LogWindow log_;
    // Declared after the game window: the game thread's tick stops before the window goes.
    const GameThreadClock gameClock_;
    std::optional<SettingsWindow> settings_;
    std::optional<ModuleWatcher> watcher_;
    std::optional<SettingsAutosave> autosave_;
    std::optional<WidgetLayoutLog> layout_;
    int layoutObserver_ = 0;  // the session's observer that hands the panel's lookups to layout_
    std::string screenshotFile_;
    bool reloadRequested_ = false;
    bool failed_ = false;
};

}  // namespace

int runGui(HostSession& session, const GuiOptions& options, std::ostream& errors) {
    // Files the window will write are checked now, not when a write fails after the whole session.
    for (const auto& [option, file] : {std::pair{"--layout", &options.layoutFile}, {"--screenshot", &options.screenshotFile}}) {
        if (!file->empty()) {
            if (const auto problem = whyCannotWrite(*file)) {
                errors << "quorvel-host: gui " << option << ' ' << printable(*file) << ": cannot write it: " << *problem
                       << '\n';
                return 2;
            }
        }
    }
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
        glfwCreateWindow(1280, 760, "Quorvel - stand-in host", nullptr, nullptr));
    if (!window) {
        errors << "quorvel-host: gui cannot open an OpenGL 3 window: " << glfwProblem() << '\n';
        return 1;
    }
    glfwMakeContextCurrent(window.get());
    glfwSwapInterval(1);

    try {
        session.load();
    } catch (const HostError& error) {
        errors << "quorvel-host: " << error.what() << '\n';
        if (!options.watch) {
            return 1;
        }
        // Watching: the next build may well load.
    }
    bool failed = false;
    const int status = runReportingErrors(errors, [&] {
        {
            HostImGuiContext context;
            LiveWindow live(window.get(), session, context.get(), options, errors);
            live.run();
            failed = live.failed();
        }
        session.unload();
    });
    if (status != 0 || failed) {
        return 1;
    }
    // Stopped by SIGINT or SIGTERM: saved and unloaded as when closed, and said as a shell says it.
    return pendingStopSignal() != 0 ? 128 + pendingStopSignal() : 0;
}

}  // namespace host
