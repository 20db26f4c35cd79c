// The panel under synthetic mouse input in the host's real Dear ImGui: each widget is found from
// the frame's layout, then clicked or dragged, and the variables' write counts show exactly when
// the panel wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "panel_harness.h"

using quorvel_test::PanelFrame;
using quorvel_test::PanelHarness;
using quorvel_test::WidgetRect;

namespace {

float roundedToThreeDecimals(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
    return std::strtof(text, nullptr);
}

}  // namespace

TEST(SettingsPanelInput, ACheckBoxClickWritesOneOnceAndTheNextClickWritesZero) {
    for (const char* variableName : {"quorvel_enabled_blue", "quorvel_enabled_orange"}) {
        SCOPED_TRACE(variableName);
        PanelHarness panel;
        const char* label = variableName == std::string("quorvel_enabled_blue") ? "Active for blue team"
                                                                               : "Active for orange team";
        const PanelFrame probe = panel.idleFrame();
        ASSERT_EQ(probe.layout.widgets.count(label), 1u);
        const ImVec2 box = quorvel_test::checkBoxSquare(probe.layout.widgets.at(label)).center();
        const auto& variable = panel.variable(variableName);

        panel.frame(box, true);
        EXPECT_EQ(variable.writes, 0u) << "pressing alone changes nothing";
        const PanelFrame ticked = panel.frame(box, false);
        EXPECT_EQ(variable.writes, 1u);
        EXPECT_EQ(variable.value, "1");
        EXPECT_NE(ticked.text.find(std::string("[x] ") + label), std::string::npos) << ticked.text;

        for (int i = 0; i < 3; ++i) {
            panel.idleFrame();
        }
        EXPECT_EQ(panel.totalWrites(), 1u) << "only the clicked box, only once";

        panel.click(box);
        EXPECT_EQ(variable.writes, 2u);
        EXPECT_EQ(variable.value, "0");
        EXPECT_EQ(panel.totalWrites(), 2u);
    }
}

TEST(SettingsPanelInput, FramesWithoutAClickWriteNothing) {
    PanelHarness panel;
    panel.set("quorvel_enabled_blue", "1");
    panel.set("quorvel_factor", "0.25");
    panel.set("quorvel_trajectory", "12.5");
    const PanelFrame probe = panel.idleFrame();
    // The mouse passes over every widget without a button down.
    for (const auto& [label, rect] : probe.layout.widgets) {
        panel.frame(rect.min, false);
        panel.frame(rect.center(), false);
    }
    panel.idleFrame();
    EXPECT_EQ(panel.totalWrites(), 0u);
    EXPECT_EQ(panel.variable("quorvel_factor").value, "0.25");
    EXPECT_EQ(panel.variable("quorvel_trajectory").value, "12.5");
}

TEST(SettingsPanelInput, DraggingASliderWritesInEveryFrameInWhichItsValueChanges) {
    struct Slider {
        const char* variable;
        const char* label;
        float maximum;
    };
    for (const Slider& slider : {Slider{"quorvel_factor", "Speed Factor", 1.0f},
                                 Slider{"quorvel_trajectory", "% Trajectory Alterable", 100.0f}}) {
        SCOPED_TRACE(slider.label);
        PanelHarness panel;
        const PanelFrame probe = panel.idleFrame();
        ASSERT_EQ(probe.layout.widgets.count(slider.label), 1u);
        ASSERT_GT(probe.layout.itemWidth, 0.0f);
        const WidgetRect track =
            quorvel_test::sliderTrack(probe.layout.widgets.at(slider.label), probe.layout.itemWidth);
        const auto& variable = panel.variable(slider.variable);
        const float y = track.center().y;

        // Press near the left end, then drag a few pixels a frame to well past the right end.
        int changedFrames = 0;
        for (float x = track.min.x + 2.0f; x < track.max.x + 30.0f; x += 5.0f) {
            const std::string before = variable.value;
            const std::uint64_t writesBefore = variable.writes;
            panel.frame(ImVec2(x, y), true);
            const bool changed = variable.value != before;
            changedFrames += changed ? 1 : 0;
            EXPECT_EQ(variable.writes - writesBefore, changed ? 1u : 0u) << "at x " << x << ", value " << variable.value;
            EXPECT_GE(variable.number, 0.0f);
            EXPECT_LE(variable.number, slider.maximum);
            EXPECT_EQ(variable.number, roundedToThreeDecimals(variable.number)) << variable.value;
        }
        // Written while dragging, not only at the end.
        EXPECT_GT(changedFrames, 40);
        EXPECT_EQ(variable.number, slider.maximum) << "dragged past the right end";

        const std::uint64_t writesBeforeRelease = variable.writes;
        panel.frame(ImVec2(track.max.x + 30.0f, y), false);
        panel.idleFrame();
        EXPECT_EQ(variable.writes, writesBeforeRelease) << "releasing changes nothing";
        EXPECT_EQ(panel.totalWrites(), variable.writes) << "only the dragged slider was written";
    }
}

TEST(SettingsPanelInput, AFactorOfTwoAndAHalfSetElsewhereStaysUntilTheSliderMoves) {
    PanelHarness panel;
    panel.set("quorvel_factor", "2.5");
    const PanelFrame shown = panel.idleFrame();
    EXPECT_NE(shown.text.find("{ 2.500 } Speed Factor"), std::string::npos) << shown.text;
    const WidgetRect track =
        quorvel_test::sliderTrack(shown.layout.widgets.at("Speed Factor"), shown.layout.itemWidth);
    const auto& factor = panel.variable("quorvel_factor");

    // Hovering and idle frames leave it be.
    panel.frame(track.center(), false);
    panel.idleFrame();
    EXPECT_EQ(factor.value, "2.5");
    EXPECT_EQ(factor.writes, 0u);

    // A press on the track moves the slider: the value jumps into the slider's range.
    panel.click(ImVec2(track.min.x + (track.max.x - track.min.x) * 0.25f, track.center().y));
    EXPECT_EQ(factor.writes, 1u);
    EXPECT_GT(factor.number, 0.0f);
    EXPECT_LT(factor.number, 0.5f);
}
