// The settings window rendered by Mesa's software OpenGL with no display, written as a PNG and
// read back pixel by pixel.
#include <gtest/gtest.h>


#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include <EGL/egl.h>
#include <imgui.h>
#include <stb_image.h>

#include "console/command_interpreter.h"
#include "pluginsdk/console_variable.h"
#include "picture_commands/picture_commands.h"
#include "rendering/session_pictures.h"
#include "settings_window/settings_window.h"
#include "file_size_limit.h"
#include "session/host_session.h"
#include "whole_file.h"
#include "widget_layout.h"

namespace {

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, stbi_image_free};

    const unsigned char* at(int x, int y) const { return pixels.get() + (y * width + x) * 3; }
};

DecodedPng readPng(const std::string& path) {
    DecodedPng png;
    int channels = 0;
    png.pixels.reset(stbi_load(path.c_str(), &png.width, &png.height, &channels, 3));
    return png;
}

// Pixels inside `area` within a small distance of `colour` in every channel.
int pixelsOfColour(const DecodedPng& png, const quorvel_test::WidgetRect& area, const ImVec4& colour) {
    const int target[3] = {static_cast<int>(std::lround(colour.x * 255.0f)), static_cast<int>(std::lround(colour.y * 255.0f)),
                           static_cast<int>(std::lround(colour.z * 255.0f))};
    int count = 0;
    for (int y = static_cast<int>(area.min.y); y < static_cast<int>(area.max.y); ++y) {
        for (int x = static_cast<int>(area.min.x); x < static_cast<int>(area.max.x); ++x) {
            const unsigned char* pixel = png.at(x, y);
            bool near = true;
            for (int c = 0; c < 3; ++c) {
                near = near && std::abs(pixel[c] - target[c]) <= 24;
            }
            count += near ? 1 : 0;
        }
    }
    return count;
}

class SettingsWindowPng : public ::testing::Test {
protected:
    void SetUp() override { session.load(); }
    void TearDown() override { session.unload(); }

    std::string temporaryFile(const char* name) { return ::testing::TempDir() + name; }

    std::ostringstream out;
    host::HostSession session{QUORVEL_MODULE_PATH, out};
};

}  // namespace

TEST_F(SettingsWindowPng, ATickedBoxIsDrawnWithTheCheckMarkAndAClearOneIsNot) {
    ASSERT_FALSE(pluginsdk::setVariableText(*session.world().findVariable("quorvel_enabled_blue"), "1"));
    const std::string path = temporaryFile("ticked_blue.png");

    host::SessionPictures pictures;
    quorvel_test::PanelLayout layout;
    {
        quorvel_test::LayoutRecorder recorder(session.world());
        pictures.writeSettingsWindow(session.plugin(), path);
        layout = recorder.finish("Quorvel");
    }
    const ImVec4 checkMark = ImGui::GetStyle().Colors[ImGuiCol_CheckMark];

    const DecodedPng png = readPng(path);
    ASSERT_NE(png.pixels, nullptr) << stbi_failure_reason();
    EXPECT_EQ(png.width, host::SettingsWindow::kDefaultWidth);
    EXPECT_EQ(png.height, host::SettingsWindow::kDefaultHeight);
    ASSERT_EQ(layout.widgets.size(), 4u);
    const auto blueBox = quorvel_test::checkBoxSquare(layout.widgets.at("Active for blue team"));
    const auto orangeBox = quorvel_test::checkBoxSquare(layout.widgets.at("Active for orange team"));
    // The check mark is a thick stroke across the box: far more than a few stray pixels.
    EXPECT_GE(pixelsOfColour(png, blueBox, checkMark), 20);
    EXPECT_EQ(pixelsOfColour(png, orangeBox, checkMark), 0);
}

TEST_F(SettingsWindowPng, PanelPngDrawsTheSettingsAsTheScriptLeftThem) {
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    const std::string before = temporaryFile("script_before.png");
    const std::string after = temporaryFile("script_after.png");

    interpreter.execute("panel png " + before);
    interpreter.execute("quorvel_trajectory 62.5");
    interpreter.execute("panel png " + after);

    const DecodedPng first = readPng(before);
    const DecodedPng second = readPng(after);
    ASSERT_NE(first.pixels, nullptr);
    ASSERT_NE(second.pixels, nullptr);
    ASSERT_EQ(first.width, second.width);
    ASSERT_EQ(first.height, second.height);
    int differing = 0;
    for (int y = 0; y < first.height; ++y) {
        for (int x = 0; x < first.width; ++x) {
            differing += std::memcmp(first.at(x, y), second.at(x, y), 3) != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(differing, 0) << "the second picture shows the new trajectory";
    // Nothing was written to the settings by drawing them.
    EXPECT_EQ(session.world().findVariable("quorvel_trajectory")->writes, 0u);
}

bool samePixels(const DecodedPng& a, const DecodedPng& b) {
    return a.pixels != nullptr && b.pixels != nullptr && a.width == b.width && a.height == b.height &&
           std::memcmp(a.pixels.get(), b.pixels.get(), static_cast<std::size_t>(a.width) * a.height * 3) == 0;
}

TEST_F(SettingsWindowPng, PanelPngSetsUpOnceAndKeepsDrawingTheSamePicture) {
    const std::string fresh = temporaryFile("fresh_renderer.png");
    {
        host::SessionPictures().writeSettingsWindow(session.plugin(), fresh);
    }
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    const std::string first = temporaryFile("kept_first.png");
    const std::string second = temporaryFile("kept_second.png");
    const std::string reloaded = temporaryFile("kept_reloaded.png");

    interpreter.execute("panel png " + first);
    const EGLContext kept = eglGetCurrentContext();
    ASSERT_NE(kept, EGL_NO_CONTEXT) << "the OpenGL context is gone after the picture";
    interpreter.execute("panel png " + second);
    interpreter.execute("unload");
    interpreter.execute("load");
    interpreter.execute("panel png " + reloaded);

    // One OpenGL context drew all three: the set-up was paid once.
    EXPECT_EQ(eglGetCurrentContext(), kept);
    // A kept renderer draws what a fresh one draws, also for a plug-in loaded since.
    EXPECT_TRUE(samePixels(readPng(first), readPng(fresh)));
    EXPECT_TRUE(samePixels(readPng(second), readPng(fresh)));
    EXPECT_TRUE(samePixels(readPng(reloaded), readPng(fresh)));

    // And with other settings.
    interpreter.execute("quorvel_enabled_blue 1");
    interpreter.execute("quorvel_trajectory 62.5");
    const std::string changed = temporaryFile("kept_changed.png");
    interpreter.execute("panel png " + changed);
    const std::string freshChanged = temporaryFile("fresh_changed.png");
    {
        host::SessionPictures().writeSettingsWindow(session.plugin(), freshChanged);
    }
    EXPECT_FALSE(samePixels(readPng(changed), readPng(fresh)));
    EXPECT_TRUE(samePixels(readPng(changed), readPng(freshChanged)));
}

TEST_F(SettingsWindowPng, AFileThatCannotBeWrittenLeavesTheRendererUsable) {
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    const std::string good = temporaryFile("after_failure.png");
    interpreter.execute("panel png " + temporaryFile("before_failure.png"));
    const EGLContext kept = eglGetCurrentContext();
    EXPECT_THROW(interpreter.execute("panel png /nonexistent-directory/panel.png"), host::HostError);
    interpreter.execute("panel png " + good);
    EXPECT_TRUE(samePixels(readPng(good), readPng(temporaryFile("before_failure.png"))));
    EXPECT_EQ(eglGetCurrentContext(), kept);
}

TEST_F(SettingsWindowPng, PanelPngReportsWhatItCannotDo) {
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    EXPECT_THROW(interpreter.execute("panel"), host::HostError);
    EXPECT_THROW(interpreter.execute("panel jpg out.jpg"), host::HostError);
    try {
        interpreter.execute("panel png /nonexistent-directory/panel.png");
        ADD_FAILURE() << "an unwritable file was reported as written";
    } catch (const host::HostError& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-directory/panel.png"), std::string::npos) << error.what();
    }
    session.unload();
    try {
        interpreter.execute("panel png " + temporaryFile("unloaded.png"));
        ADD_FAILURE() << "drew a panel with no module loaded";
    } catch (const host::HostError& error) {
        EXPECT_NE(std::string(error.what()).find("no module is loaded"), std::string::npos) << error.what();
    }
}

// A disk that fills part-way (here the file-size limit, which holds even for root): the old
// picture stays byte for byte, and the command fails saying why.
TEST_F(SettingsWindowPng, APictureCutShortLeavesTheOldPictureAsItWas) {
    host::CommandInterpreter interpreter(session);
    host::addPictureCommands(interpreter, session);
    const std::string path = temporaryFile("kept.png");
    interpreter.execute("panel png " + path);
    const std::string old = quorvel_test::readWholeFile(path);
    ASSERT_GT(old.size(), 2000u);

    std::string message;
    try {
        const quorvel_test::FileSizeLimit limit(1000);
        interpreter.execute("quorvel_enabled_blue 1");
        interpreter.execute("panel png " + path);
    } catch (const host::HostError& error) {
        message = error.what();
    }

    EXPECT_EQ(message, "cannot write " + path + ": File too large");
    EXPECT_EQ(quorvel_test::readWholeFile(path), old);
}
