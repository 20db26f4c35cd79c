// What the panel shows in the host's window, and what it leaves out when a variable is missing or
// the host never handed it a context.
#include <gtest/gtest.h>

#include "panel_harness.h"
#include "pluginsdk/handle_census.h"

using quorvel_test::PanelFrame;
using quorvel_test::PanelHarness;

namespace {

const std::vector<std::string> kAllLookups = {"quorvel_enabled_blue", "quorvel_enabled_orange", "quorvel_factor",
                                              "quorvel_trajectory"};

std::vector<std::string> drawnLabels(const PanelFrame& frame) {
    std::vector<std::string> labels;
    for (const auto& [label, rect] : frame.layout.widgets) {
        labels.push_back(label);
    }
    return labels;
}

}  // namespace

TEST(SettingsPanelContent, ShowsTheDefaultsUnderThePluginsNameInDrawingOrder) {
    PanelHarness panel;
    const PanelFrame frame = panel.idleFrame();
    EXPECT_EQ(frame.text,
              "Quorvel\n"
              "[ ] Active for blue team\n"
              "[ ] Active for orange team\n"
              "{ 1.000 } Speed Factor\n"
              "{ 0.000 } % Trajectory Alterable\n");
    EXPECT_EQ(frame.layout.lookups, kAllLookups);
    // One below the other, in the order of their variables.
    float previousBottom = 0.0f;
    for (const quorvel_test::PanelWidget& widget : quorvel_test::kPanelWidgets) {
        ASSERT_EQ(frame.layout.widgets.count(widget.label), 1u) << widget.label;
        const quorvel_test::WidgetRect& rect = frame.layout.widgets.at(widget.label);
        EXPECT_GT(rect.min.y, previousBottom) << widget.label;
        previousBottom = rect.max.y;
    }
    EXPECT_EQ(pluginsdk::liveHandles().variables, 0);
}

TEST(SettingsPanelContent, ShowsWhatTheHostHoldsInTheNextFrame) {
    PanelHarness panel;
    panel.set("quorvel_enabled_orange", "1");
    panel.set("quorvel_trajectory", "37.25");
    panel.set("quorvel_factor", "0.0004");
    EXPECT_EQ(panel.idleFrame().text,
              "Quorvel\n"
              "[ ] Active for blue team\n"
              "[x] Active for orange team\n"
              "{ 0.000 } Speed Factor\n"
              "{ 37.250 } % Trajectory Alterable\n");
    // Shown rounded, but the panel writes nothing back.
    EXPECT_EQ(panel.variable("quorvel_factor").value, "0.0004");
    EXPECT_EQ(panel.totalWrites(), 0u);
}

TEST(SettingsPanelContent, WithoutTheBlueSwitchThePanelIsEmpty) {
    PanelHarness panel;
    ASSERT_TRUE(panel.world().removeVariable("quorvel_enabled_blue"));
    const PanelFrame frame = panel.idleFrame();
    EXPECT_EQ(frame.text, "Quorvel\n");
    EXPECT_TRUE(frame.layout.widgets.empty());
    EXPECT_EQ(frame.layout.lookups, std::vector<std::string>{"quorvel_enabled_blue"});
    EXPECT_EQ(pluginsdk::liveHandles().variables, 0);
}

TEST(SettingsPanelContent, WithoutTheFactorOnlyTheCheckBoxesAreDrawnForThatFrame) {
    PanelHarness panel;
    ASSERT_TRUE(panel.world().removeVariable("quorvel_factor"));
    const PanelFrame frame = panel.idleFrame();
    EXPECT_EQ(frame.text,
              "Quorvel\n"
              "[ ] Active for blue team\n"
              "[ ] Active for orange team\n");
    EXPECT_EQ(drawnLabels(frame), (std::vector<std::string>{"Active for blue team", "Active for orange team"}));
    EXPECT_EQ(frame.layout.lookups,
              (std::vector<std::string>{"quorvel_enabled_blue", "quorvel_enabled_orange", "quorvel_factor"}));
    EXPECT_EQ(pluginsdk::liveHandles().variables, 0);

    // Each frame starts again from the first variable.
    panel.world().registerVariable("quorvel_factor", "0.5", "", false, 0.0f, false, 0.0f);
    const PanelFrame next = panel.idleFrame();
    EXPECT_EQ(next.layout.lookups, kAllLookups);
    EXPECT_EQ(next.layout.widgets.size(), 4u);
    EXPECT_NE(next.text.find("{ 0.500 } Speed Factor"), std::string::npos) << next.text;
}

TEST(SettingsPanelContent, WithoutAnAttachedContextNothingIsDrawn) {
    PanelHarness panel(/*attach=*/false);
    const PanelFrame frame = panel.idleFrame();
    EXPECT_EQ(frame.text, "Quorvel\n");
    EXPECT_TRUE(frame.layout.lookups.empty());
    EXPECT_EQ(panel.totalWrites(), 0u);
    EXPECT_EQ(pluginsdk::liveHandles().variables, 0);
}

TEST(SettingsPanelContent, OnceTheSettingsWindowHasGoneThePanelDrawsNothing) {
    PanelHarness panel;
    EXPECT_EQ(panel.idleFrame().layout.widgets.size(), 4u);
    // The settings window takes the context back, so the module no longer points at it.
    panel.detach();
    const PanelFrame frame = panel.idleFrame();
    EXPECT_EQ(frame.text, "Quorvel\n");
    EXPECT_TRUE(frame.layout.lookups.empty());
}
