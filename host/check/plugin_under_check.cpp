#include "plugin_under_check.h"

#include <cfloat>
#include <utility>
#include <imgui_internal.h>

#include "check_records.h"
#include "host_error.h"

namespace host::check {
namespace {

// The settings window at its default size, in a display with room around it.
const ImVec2 kWindowSize(static_cast<float>(SettingsWindow::kDefaultWidth), static_cast<float>(SettingsWindow::kDefaultHeight));

// The filled rectangles among `list`'s vertices from `first` on: four vertices of Dear ImGui's
// white texel, corners in the order ImDrawList::PrimRect writes them. A frame without rounding (the
// host's style) is one; text and anti-aliased shapes are not.
std::vector<WidgetLayoutLog::Rect> filledRectangles(const ImDrawList& list, int first) {
    std::vector<WidgetLayoutLog::Rect> found;
    const ImVec2 white = ImGui::GetDrawListSharedData()->TexUvWhitePixel;
    const auto plain = [white](const ImDrawVert& vertex) { return vertex.uv.x == white.x && vertex.uv.y == white.y; };
    for (int i = first; i + 3 < list.VtxBuffer.Size; ++i) {
        const ImDrawVert* v = &list.VtxBuffer[i];
        if (plain(v[0]) && plain(v[1]) && plain(v[2]) && plain(v[3]) && v[1].pos.x == v[2].pos.x &&
            v[1].pos.y == v[0].pos.y && v[2].pos.y == v[3].pos.y && v[3].pos.x == v[0].pos.x &&
            v[0].pos.x < v[2].pos.x && v[0].pos.y < v[2].pos.y) {
            found.push_back({v[0].pos, v[2].pos});
            i += 3;
        }
    }
    return found;
}

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
        panelFrames_.clear();
        frames_->frame(
            [&] {
                ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
                ImGui::SetNextWindowSize(kWindowSize);
                try {
                    window_->draw([this](bool drawing) {
                        if (drawing) {
                            layout_->beginPanel();
                            panelFirstVertex_ = ImGui::GetWindowDrawList()->VtxBuffer.Size;
                        } else {
                            layout_->endPanel();
                            panelFrames_ = filledRectangles(*ImGui::GetWindowDrawList(), panelFirstVertex_);
                        }
                    });
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
