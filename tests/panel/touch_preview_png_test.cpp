// `preview png` runs the plug-in's own response thousands of times, yet the session goes on as if
// it had not: the same script prints the same bytes with previews between its lines as without. Its
// figures say why where there are none.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "flight_views/touch_preview_view.h"
#include "picture_commands/picture_commands.h"
#include "console/command_interpreter.h"
#include "session/host_session.h"
#include "whole_file.h"

namespace {

// Touches that deflect (drawing from the generator), that log, and a ball in flight with its ghost.
const std::vector<std::string> kScript = {
    "clock 1", "load", "quorvel_enabled_orange 1", "quorvel_factor 0.5", "quorvel_trajectory 10", "physics on",
    "ghost on", "ball 1000 -500 200", "magnus 0.5 0.5 0.5", "touch 1", "wait 0.01", "PREVIEW", "velocity",
    "touch 1", "PREVIEW", "wait 0.5", "velocity", "position", "ghost", "quorvel_trajectory 0", "PREVIEW",
    "touch 1", "wait 0.01", "quorvel_trajectory 10", "touch 1", "wait 0.01", "velocity", "magnus", "cvars",
    "unload"};

std::string transcript(const std::string& previewFile) {
    std::ostringstream out;
    host::HostSession session{QUORVEL_MODULE_PATH, out};
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    for (const std::string& line : kScript) {
        if (line != "PREVIEW") {
            interpreter.execute(line);
        } else if (!previewFile.empty()) {
            interpreter.execute("preview png " + previewFile);
        }
    }
    return out.str();
}

TEST(TouchPreviewPng, AScriptPrintsTheSameWithPreviewsAsWithout) {
    const std::string picture = ::testing::TempDir() + "preview.png";
    const std::string without = transcript("");
    EXPECT_EQ(transcript(picture), without);
    EXPECT_NE(without.find("velocity ("), std::string::npos);
    EXPECT_GT(quorvel_test::readWholeFile(picture).size(), 1000u);
}

}  // namespace

// Figures come only from finite velocities; where there are none the line says why, never "nan".
TEST(TouchPreviewPng, TheFiguresSayWhyWhereAVelocityIsNotFinite) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    host::TouchPreview preview;
    preview.velocity = {inf, 0.0f, 0.0f};
    preview.after = {{{inf, 0.0f, 0.0f}, {}}, {{nan, 0.0f, 0.0f}, {}}};
    EXPECT_EQ(host::touchPreviewSummary(preview),
              "speed after / before and the direction turned: not defined, as the velocity before is not finite; spin "
              "cleared in 0; velocity after not finite in 2 (not drawn)");
    preview.velocity = {0.0f, 0.0f, 0.0f};
    EXPECT_NE(host::touchPreviewSummary(preview).find("not defined, as the ball was still"), std::string::npos);
    preview.velocity = {100.0f, 0.0f, 0.0f};
    preview.after.push_back({{50.0f, 0.0f, 0.0f}, {}});
    EXPECT_EQ(host::touchPreviewSummary(preview),
              "speed after / before: mean 0.500, 0.500 to 0.500; direction turned by 0.00 deg on average, at most "
              "0.00; spin cleared in 0; velocity after not finite in 2 (not drawn)");
}
