#include "game_window.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include <imgui.h>

#include "flight_views/velocity_change.h"

namespace host {
namespace {

// Ten seconds of history at thirty samples a second.
constexpr double kSampleStep = 1.0 / 30.0;
constexpr std::size_t kShownTouches = 8;  // touches and firings

std::string describe(const Vector& velocity) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.1f, %.1f, %.1f)", static_cast<double>(velocity.X),
                  static_cast<double>(velocity.Y), static_cast<double>(velocity.Z));
    return text;
}

// The Magnus coefficient across a firing: what a switched-off team's touch does is clear it.
const char* spinAfter(const pluginsdk::FlightEvent& event) {
    if (event.spinCleared()) {
        return "cleared";
    }
    const Vector& before = event.magnusBefore;
    return before.X == 0.0f && before.Y == 0.0f && before.Z == 0.0f ? "none to clear" : "kept";
}

const char* teamName(std::uint8_t team) {
    return team == 0 ? "blue  " : team == 1 ? "orange" : "other ";
}

}  // namespace

GameWindow::GameWindow(HostSession& session) : session_(session) {}

void GameWindow::advance(double seconds) {
    pluginsdk::World& world = session_.world();
    if (session_.threads().thread(HostThread::Game) == nullptr) {
        world.advanceClock(seconds);
    }
    collectFailures();
    const auto ball = world.readBall();
    const auto speed = static_cast<float>(ball ? speedOf(ball->velocity) : 0.0);
    for (pluginsdk::FlightEvent& event : world.flightEventsAfter(lastEvent_)) {
        lastEvent_ = event.sequence;
        events_.push_back(event);
        if (events_.size() > kShownTouches) {
            events_.pop_front();
        }
    }
    untilNextSample_ -= seconds;
    while (untilNextSample_ <= 0.0) {
        speeds_[nextSpeed_] = speed;
        nextSpeed_ = (nextSpeed_ + 1) % speeds_.size();
        untilNextSample_ += kSampleStep;
    }
}

void GameWindow::collectFailures() {
    for (std::string& failure : session_.takeCallbackFailures()) {
        report(std::move(failure));
    }
}

void GameWindow::report(std::string problem) {
    failures_.push_back(std::move(problem));
    ++failuresSeen_;
    if (failures_.size() > pluginsdk::World::kRecentLogLines) {
        failures_.pop_front();
    }
}

void GameWindow::touch(int team) {
    pluginsdk::World& world = session_.world();
    const Vector given{touchVelocity_[0], touchVelocity_[1], touchVelocity_[2]};
    const auto touch = [&world, team, given] {
        world.ensureBall();
        world.touchBall(static_cast<std::uint8_t>(team), given);
    };
    if (TaskThread* game = session_.threads().thread(HostThread::Game)) {
        // As in a game: the button hands the touch to the game thread and the frame goes on.
        game->post(touch);
    } else {
        touch();
    }
    collectFailures();
}

void GameWindow::draw() {
    ImGui::SetNextWindowPos(ImVec2(520.0f, 10.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(520.0f, 620.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Game")) {
        const bool reloadPressed = ImGui::Button("Reload");
        drawn("reload");
        if (reloadPressed && reload_) {
            reload_();
        }
        ImGui::SameLine();
        ImGui::Text("module %s: %s", moduleState_.c_str(), session_.modulePath().c_str());
        ImGui::InputFloat3("Velocity a touch gives", touchVelocity_, "%.1f");
        const bool bluePressed = ImGui::Button("Blue touch");
        drawn("blue_touch");
        if (bluePressed) {
            touch(0);
        }
        ImGui::SameLine();
        const bool orangePressed = ImGui::Button("Orange touch");
        drawn("orange_touch");
        if (orangePressed) {
            touch(1);
        }
        ImGui::SameLine();
        ImGui::TextDisabled("game time %.2f s", session_.world().gameTime());
        drawSpeedPlot();
        drawTouches();
        drawLog();
    }
    ImGui::End();
}

void GameWindow::drawn(const std::string& name) {
    if (buttonDrawn_) {
        buttonDrawn_(name);
    }
}

void GameWindow::drawSpeedPlot() {
    const auto ball = session_.world().readBall();
    char overlay[64];
    std::snprintf(overlay, sizeof overlay, "speed %.1f", ball ? speedOf(ball->velocity) : 0.0);
    ImGui::Text("Ball speed, last %.0f s", static_cast<double>(speeds_.size()) * kSampleStep);
    ImGui::PlotLines("##speed", speeds_.data(), static_cast<int>(speeds_.size()), static_cast<int>(nextSpeed_),
                     overlay, 0.0f, FLT_MAX, ImVec2(ImGui::GetContentRegionAvail().x, 140.0f));
}

void GameWindow::drawTouches() {
    ImGui::Separator();
    ImGui::TextUnformatted("Touches, and what the plug-in did to the ball 0.01 s later");
    for (const pluginsdk::FlightEvent& event : events_) {
        const double seconds = static_cast<double>(event.time) / pluginsdk::World::kTicksPerSecond;
        if (event.kind == pluginsdk::FlightEventKind::Touch) {
            ImGui::Text("%8.2f s  %s touch, gives %s", seconds, teamName(event.team),
                        describe(event.velocityAfter).c_str());
        } else {
            ImGui::Text("%8.2f s  plug-in: speed x%.3f, turned %.1f deg, spin %s", seconds,
                        speedRatio(event.velocityBefore, event.velocityAfter),
                        turnedDegrees(event.velocityBefore, event.velocityAfter),
                        spinAfter(event));
        }
    }
}

void GameWindow::drawLog() {
    ImGui::Separator();
    ImGui::TextUnformatted("Plug-in log");
    ImGui::BeginChild("log", ImVec2(0.0f, 0.0f), true);
    const pluginsdk::World& world = session_.world();
    const std::deque<pluginsdk::LogLine> lines = world.recentLogLines();
    for (const pluginsdk::LogLine& line : lines) {
        ImGui::TextWrapped("[%s] %s", line.pluginName.c_str(), line.text.c_str());
    }
    // Whole, wrapped at the log's width: a refused module's reason is often longer than a line.
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.4f, 0.4f, 1.0f));
    for (const std::string& failure : failures_) {
        ImGui::TextWrapped("error: %s", failure.c_str());
    }
    ImGui::PopStyleColor();
    // Follow new lines while the view is at the bottom; leave it alone while the user scrolls back.
    const std::uint64_t shown = world.loggedLineCount() + failuresSeen_;
    if (shown != shownLogLines_ && ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) {
        ImGui::SetScrollHereY(1.0f);
    }
    shownLogLines_ = shown;
    ImGui::EndChild();
}

}  // namespace host
