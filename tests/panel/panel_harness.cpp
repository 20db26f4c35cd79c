#include "panel_harness.h"

#include <cfloat>
#include <string>

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include "pluginsdk/console_variable.h"

namespace quorvel_test {
namespace {

const char* const kTitle = "Quorvel";

}  // namespace

PanelHarness::PanelHarness(bool attach)
    : session_(QUORVEL_MODULE_PATH, log_), frames_(std::make_unique<host::HeadlessFrames>(ImVec2(500.0f, 200.0f))) {
    session_.load();
    ImGuiIO& io = frames_->io();
    io.ClipboardUserData = this;
    io.SetClipboardTextFn = [](void* harness, const char* text) {
        // Dear ImGui ends logged lines with "\r\n" on Windows; the frames read the same everywhere.
        std::string shown;
        for (const char* at = text; *at != '\0'; ++at) {
            if (!(at[0] == '\r' && at[1] == '\n')) {
                shown += *at;
            }
        }
        static_cast<PanelHarness*>(harness)->shownText_ = shown;
    };
    if (attach) {
        window_ = std::make_unique<host::SettingsWindow>(session_.plugin(), frames_->context());
    }
    idleFrame();
}

PanelHarness::~PanelHarness() {
    window_.reset();
    frames_.reset();
    session_.unload();
}

void PanelHarness::detach() {
    window_.reset();
}

PanelFrame PanelHarness::frame(ImVec2 mouse, bool buttonDown) {
    PanelFrame frame;
    frames_->frame([this, &frame] {
        LayoutRecorder recorder(world());
        // Dear ImGui logs what it renders as text, and the window's End hands it over as clipboard
        // text.
        shownText_.clear();
        ImGui::LogToClipboard();
        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
        if (window_) {
            window_->draw();
        } else {
            ImGui::Begin(kTitle);
            session_.plugin().settingsWindow()->DrawSettingsPanel();
            ImGui::End();
        }
        frame.text = shownText_;
        frame.layout = recorder.finish(kTitle);
    }, {mouse, buttonDown});
    return frame;
}

PanelFrame PanelHarness::idleFrame() {
    return frame(ImVec2(-FLT_MAX, -FLT_MAX), false);
}

PanelFrame PanelHarness::click(ImVec2 at) {
    frame(at, true);
    return frame(at, false);
}

pluginsdk::detail::ConsoleVariable& PanelHarness::variable(const std::string& name) {
    const auto found = world().findVariable(name);
    if (!found) {
        throw std::logic_error("no variable " + name);
    }
    return *found;
}

void PanelHarness::set(const std::string& name, const std::string& value) {
    const auto refused = pluginsdk::setVariableText(variable(name), value);
    EXPECT_FALSE(refused) << *refused;
}

std::uint64_t PanelHarness::totalWrites() {
    std::uint64_t writes = 0;
    for (const PanelWidget& widget : kPanelWidgets) {
        if (const auto found = world().findVariable(widget.variable)) {
            writes += found->writes;
        }
    }
    return writes;
}

}  // namespace quorvel_test
