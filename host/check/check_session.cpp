#include "check_session.h"

#include <imgui.h>

#include "host_error.h"

namespace host::check {

CheckSession::CheckSession(const CheckOptions& options, std::ostream& out, bool trace)
    : world_(pluginsdk::World::create()), modulePath_(options.modulePath), pluginTimeout_(options.pluginTimeout),
      out_(out), trace_(trace), threads_(options.threads) {
    threads_.run(HostThread::Render, [this] { layout_ = std::make_unique<WidgetLayoutLog>(""); });
    // The module's clock from the seed: the same seed, the same deflections.
    world_->setRuntimeClock(static_cast<std::int64_t>(options.seed % 2'000'000'000));
    world_->setFailureListener([this](const std::string& failure) {
        const std::lock_guard lock(failuresMutex_);
        failures_.push_back(failure);
    });
    listen();
}

// Every SDK call the plug-in makes: to the trace, to the panel's layout, to whoever observes.
void CheckSession::listen() {
    world_->setTraceListener([this](const pluginsdk::SdkCall& call) {
        if (call.kind == pluginsdk::SdkCall::Kind::Log) {
            return;  // the log's listener below
        }
        if (trace_) {
            out_ << "[trace] " << pluginsdk::describe(call) << '\n';
        }
        layout_->sdkCall(call);
        if (sdkCallObserver_) {
            sdkCallObserver_(pluginsdk::describe(call));
        }
    });
    // A log line is an SDK call as well, which the trace leaves out (a transcript shows the line
    // itself); whoever observes the calls sees it.
    world_->setLogListener([this](const pluginsdk::LogLine& line) {
        if (trace_) {
            out_ << '[' << line.pluginName << "] " << line.text << '\n';
        }
        if (sdkCallObserver_) {
            sdkCallObserver_("log " + line.text);
        }
    });
}

void CheckSession::onSdkCall(std::function<void(const std::string& call)> observer) {
    // Replaced while no listener runs, so that no call is traced halfway through.
    world_->setTraceListener(nullptr);
    world_->setLogListener(nullptr);
    sdkCallObserver_ = std::move(observer);
    listen();
}

CheckSession::~CheckSession() {
    try {
        threads_.run(HostThread::Render, [this] {
            window_.reset();
            imgui_.reset();
        });
        threads_.run(HostThread::Loader, [this] { plugin_.reset(); });
    } catch (const HostError&) {
        // What went wrong was the check's to say; the session goes all the same.
    }
    world_->setTraceListener(nullptr);
    world_->setLogListener(nullptr);
}

LoadedPlugin& CheckSession::plugin() {
    if (!plugin_) {
        throw CheckFailed("no module is loaded");
    }
    return *plugin_;
}

void CheckSession::load() {
    threads_.run(HostThread::Render, [this] { window_.reset(); });
    threads_.run(HostThread::Loader, [this] {
        plugin_.reset();
        plugin_ = LoadedPlugin::load(CheckedModule::check(modulePath_, pluginTimeout_), world_);
    });
}

void CheckSession::unload() {
    threads_.run(HostThread::Render, [this] { window_.reset(); });
    std::vector<std::string> problems;
    threads_.run(HostThread::Loader, [this, &problems] { problems = plugin().unload(); });
    for (const std::string& problem : problems) {
        throw CheckFailed(problem);
    }
}

void CheckSession::touch(std::uint8_t team, const Vector& velocity) {
    threads_.run(HostThread::Game, [this, team, velocity] {
        world_->ensureBall();
        world_->touchBall(team, velocity);
    });
}

void CheckSession::wait(double seconds) {
    threads_.run(HostThread::Game, [this, seconds] { world_->advanceClock(seconds); });
}

Vector CheckSession::velocity() {
    const auto ball = world_->readBall();
    return ball ? ball->velocity : Vector{};
}

std::vector<std::string> CheckSession::takeFailures() {
    const std::lock_guard lock(failuresMutex_);
    return std::exchange(failures_, {});
}

void CheckSession::openWindow() {
    if (!imgui_) {
        imgui_ = std::make_unique<HostImGuiContext>();
        ImGuiIO& io = imgui_->io();
        io.DisplaySize = ImVec2(static_cast<float>(SettingsWindow::kDefaultWidth) * 2.0f,
                                static_cast<float>(SettingsWindow::kDefaultHeight) * 2.0f);
        io.DeltaTime = 1.0f / 60.0f;
        io.Fonts->Build();
    }
    if (!window_) {
        ImGui::SetCurrentContext(imgui_->get());
        window_ = std::make_unique<SettingsWindow>(plugin(), imgui_->get());
    }
}

std::map<std::string, WidgetLayoutLog::Rect> CheckSession::frame(float x, float y, bool buttonDown) {
    std::map<std::string, WidgetLayoutLog::Rect> widgets;
    threads_.run(HostThread::Render, [&] {
        openWindow();
        ImGui::SetCurrentContext(imgui_->get());
        ImGuiIO& io = imgui_->io();
        io.MousePos = ImVec2(x, y);
        io.MouseDown[0] = buttonDown;
        layout_->beginFrame();
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(SettingsWindow::kDefaultWidth),
                                        static_cast<float>(SettingsWindow::kDefaultHeight)));
        try {
            window_->draw([this](bool drawing) { drawing ? layout_->beginPanel() : layout_->endPanel(); });
        } catch (const UnbalancedPanel& error) {
            // Only the panel's own check judges this; the window has put the stacks right.
            if (panelImbalance_.empty()) {
                panelImbalance_ = error.what();
            }
        } catch (...) {
            ImGui::Render();
            throw;
        }
        widgets = layout_->widgets();
        ImGui::Render();
    });
    return widgets;
}

}  // namespace host::check
