#include "plugin_under_check.h"

#include <cfloat>
#include <utility>

#include "check_records.h"
#include "host_error.h"

namespace host::check {
namespace {

// The settings window at its default size, in a display with room around it.
const ImVec2 kWindowSize(static_cast<float>(SettingsWindow::kDefaultWidth), static_cast<float>(SettingsWindow::kDefaultHeight));

}  // namespace

PluginUnderCheck::PluginUnderCheck(const CheckOptions& options, CheckRecords* trace, std::ostream& log)
    : session_(options.modulePath, log, options.threads) {
    session_.setPluginTimeout(options.pluginTimeout);
    session_.world().setRuntimeClock(static_cast<std::int64_t>(options.seed % 2'000'000'000));
    session_.threads().run(HostThread::Render, [this] { layout_ = std::make_unique<WidgetLayoutLog>(""); });
    layoutObserver_ = session_.addSdkCallObserver([this](const pluginsdk::SdkCall& call) { layout_->sdkCall(call); });
    if (trace != nullptr) {
        traceObserver_ = session_.addSdkCallObserver([trace](const pluginsdk::SdkCall& call) { trace->call(call); });
    }
}

PluginUnderCheck::~PluginUnderCheck() {
    try {
        session_.threads().run(HostThread::Render, [this] {
            window_.reset();
            frames_.reset();
        });
    } catch (const HostError&) {
        // What went wrong was the check's to say; the window goes all the same.
    }
    session_.removeSdkCallObserver(layoutObserver_);
    if (traceObserver_ != 0) {
        session_.removeSdkCallObserver(traceObserver_);
    }
}

void PluginUnderCheck::load() {
    session_.threads().run(HostThread::Render, [this] { window_.reset(); });
    session_.load();
}

void PluginUnderCheck::unload() {
    session_.threads().run(HostThread::Render, [this] { window_.reset(); });
    session_.unload();
}

void PluginUnderCheck::touch(std::uint8_t team, const Vector& velocity) {
    session_.threads().run(HostThread::Game, [this, team, velocity] {
        world().ensureBall();
        world().touchBall(team, velocity);
    });
}

void PluginUnderCheck::wait(double seconds) {
    session_.threads().run(HostThread::Game, [this, seconds] { world().advanceClock(seconds); });
}

Vector PluginUnderCheck::velocity() {
    const auto ball = world().readBall();
    return ball ? ball->velocity : Vector{};
}

std::map<std::string, WidgetLayoutLog::Rect> PluginUnderCheck::frame(float x, float y, bool buttonDown) {
    std::map<std::string, WidgetLayoutLog::Rect> widgets;
    session_.threads().run(HostThread::Render, [&] {
        if (!frames_) {
            frames_.emplace(ImVec2(kWindowSize.x * 2.0f, kWindowSize.y * 2.0f));
        }
        if (!window_) {
            window_.emplace(session_.plugin(), frames_->context());
        }
        layout_->beginFrame();
        frames_->frame(
            [&] {
                ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
                ImGui::SetNextWindowSize(kWindowSize);
                try {
                    window_->draw([this](bool drawing) { drawing ? layout_->beginPanel() : layout_->endPanel(); });
                } catch (const UnbalancedPanel& error) {
                    // Only the panel's own check judges this; the window has put the stacks right.
                    if (panelImbalance_.empty()) {
                        panelImbalance_ = error.what();
                    }
                }
                widgets = layout_->widgets();
            },
            {ImVec2(x, y), buttonDown});
    });
    return widgets;
}

void PluginUnderCheck::startFrames(int count) {
    const auto draw = [this, count] {
        try {
            for (int i = 0; i < count; ++i) {
                frame(-FLT_MAX, -FLT_MAX, false);
            }
        } catch (const std::exception& error) {
            framesFailure_ = error.what();
        }
    };
    if (TaskThread* render = session_.threads().thread(HostThread::Render)) {
        render->post(draw);
    } else {
        draw();
    }
}

void PluginUnderCheck::finishFrames() {
    session_.threads().run(HostThread::Render, [] {});  // after the frames handed over before
    if (!framesFailure_.empty()) {
        throw HostError(std::exchange(framesFailure_, {}));
    }
}

}  // namespace host::check
