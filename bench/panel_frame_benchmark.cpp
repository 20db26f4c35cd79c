// One Dear ImGui frame of the host's settings window, from NewFrame to Render without a renderer:
// with the plug-in drawing its panel, and with the host drawing the same four widgets itself after
// the same four look-ups through the same SDK handles. The ratio is the cost of the panel being a
// plug-in's: the calls into the module and its own copy of Dear ImGui.
#include <benchmark/benchmark.h>

#include <exception>
#include <memory>

#include <imgui.h>

#include "bakkesmod/plugin/bakkesmod_plugin.h"
#include "module_session.h"
#include "settings_window/headless_frames.h"
#include "settings_window/settings_window.h"

namespace quorvel_bench {
namespace {

// The frames as a host with no display builds them.
const ImVec2 kDisplaySize(500.0f, 200.0f);

void placeWindow() {
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
}

// One frame each way. Kept out of line so an instruction counter (callgrind --toggle-collect) can
// measure exactly one frame by its name.
[[gnu::noinline]] void quorvelPanelFrame(host::HeadlessFrames& frames, host::SettingsWindow& window) {
    frames.frame([&window] {
        placeWindow();
        window.draw();
    });
}

void BM_PanelFrame_Quorvel(benchmark::State& state) {
    try {
        ModuleSession module(QUORVEL_MODULE_PATH);
        auto frames = std::make_unique<host::HeadlessFrames>(kDisplaySize);
        auto window = std::make_unique<host::SettingsWindow>(module.session().plugin(), frames->context());
        // The first frame creates the window; every later one is like the next.
        quorvelPanelFrame(*frames, *window);
        for (auto _ : state) {
            quorvelPanelFrame(*frames, *window);
        }
        window.reset();  // takes the context back from the plug-in before it goes
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_PanelFrame_Quorvel)->Name("BM_PanelFrame/Quorvel");

// The panel's widgets, labels, ranges and formats, drawn by the host in a window of the same title.
// Like the plug-in it looks each setting up just before its widget and writes back only a change.
void drawWidgetsDirectly(CVarManagerWrapper& manager) {
    if (ImGui::Begin("Quorvel")) {
        CVarWrapper blue = manager.getCvar("quorvel_enabled_blue");
        if (!blue) {
            ImGui::End();
            return;
        }
        bool blueEnabled = blue.getBoolValue();
        if (ImGui::Checkbox("Active for blue team", &blueEnabled)) {
            blue.setValue(blueEnabled ? 1 : 0);
        }
        CVarWrapper orange = manager.getCvar("quorvel_enabled_orange");
        if (!orange) {
            ImGui::End();
            return;
        }
        bool orangeEnabled = orange.getBoolValue();
        if (ImGui::Checkbox("Active for orange team", &orangeEnabled)) {
            orange.setValue(orangeEnabled ? 1 : 0);
        }
        CVarWrapper factor = manager.getCvar("quorvel_factor");
        if (!factor) {
            ImGui::End();
            return;
        }
        float factorValue = factor.getFloatValue();
        if (ImGui::SliderFloat("Speed Factor", &factorValue, 0.0f, 1.0f, "%.3f")) {
            factor.setValue(factorValue);
        }
        CVarWrapper trajectory = manager.getCvar("quorvel_trajectory");
        if (!trajectory) {
            ImGui::End();
            return;
        }
        float trajectoryValue = trajectory.getFloatValue();
        if (ImGui::SliderFloat("% Trajectory Alterable", &trajectoryValue, 0.0f, 100.0f, "%.3f")) {
            trajectory.setValue(trajectoryValue);
        }
    }
    ImGui::End();
}

[[gnu::noinline]] void directWidgetsFrame(host::HeadlessFrames& frames, CVarManagerWrapper& manager) {
    frames.frame([&manager] {
        placeWindow();
        drawWidgetsDirectly(manager);
    });
}

void BM_PanelFrame_DirectWidgets(benchmark::State& state) {
    try {
        // Quorvel is loaded only for its settings and its manager handle; it draws nothing here.
        ModuleSession module(QUORVEL_MODULE_PATH);
        CVarManagerWrapper& manager = *module.session().plugin().plugin().cvarManagerShared;
        host::HeadlessFrames frames(kDisplaySize);
        directWidgetsFrame(frames, manager);
        for (auto _ : state) {
            directWidgetsFrame(frames, manager);
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_PanelFrame_DirectWidgets)->Name("BM_PanelFrame/DirectWidgets");

}  // namespace
}  // namespace quorvel_bench
