#include "game_window.h"

#include <cstdio>
#include <utility>

#include <imgui.h>

#include "flight_views/last_response_view.h"
#include "flight_views/velocity_change.h"

namespace host {
namespace {

constexpr std::size_t kShownTouches = 8;  // touches and firings

const char* teamName(std::uint8_t team) {
    return team == 0 ? "blue  " : team == 1 ? "orange" : "other ";
}

std::string describe(const pluginsdk::FlightEvent& event) {
    const double seconds = static_cast<double>(event.time) / pluginsdk::World::kTicksPerSecond;
    char text[160];
    if (event.kind == pluginsdk::FlightEventKind::Touch) {
        const Vector& given = event.velocityAfter;
        std::snprintf(text, sizeof text, "%8.2f s  %s touch, gives (%.1f, %.1f, %.1f)", seconds, teamName(event.team),
                      static_cast<double>(given.X), static_cast<double>(given.Y), static_cast<double>(given.Z));
    } else {
        std::snprintf(text, sizeof text, "%8.2f s  plug-in: speed x%.3f, turned %.1f deg, spin %s", seconds,
                      speedRatio(event.velocityBefore, event.velocityAfter),
                      turnedDegrees(event.velocityBefore, event.velocityAfter), spinOutcome(event));
    }
    return text;
}

}  // namespace

void GameWindow::advance(double seconds) {
    pluginsdk::World& world = session_.world();
    if (session_.threads().thread(HostThread::Game) == nullptr) {
        world.advanceClock(seconds);
    }
    for (pluginsdk::FlightEvent& event : world.flightEventsAfter(lastEvent_)) {
        lastEvent_ = event.sequence;
        events_.push_back(event);
        if (events_.size() > kShownTouches) {
            events_.pop_front();
        }
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
}

void GameWindow::draw() {
    ImGui::SetNextWindowPos(ImVec2(520.0f, 490.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(750.0f, 260.0f), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Game")) {
        const bool reloadPressed = ImGui::Button("Reload");
        reportLastItem(drawn_, "reload");
        if (reloadPressed && reload_) {
            reload_();
        }
        ImGui::SameLine();
        ImGui::Text("module %s: %s", moduleState_.c_str(), session_.modulePath().c_str());
        ImGui::InputFloat3("Velocity a touch gives", touchVelocity_, "%.1f");
        const bool bluePressed = ImGui::Button("Blue touch");
        reportLastItem(drawn_, "blue_touch");
        if (bluePressed) {
            touch(0);
        }
        ImGui::SameLine();
        const bool orangePressed = ImGui::Button("Orange touch");
        reportLastItem(drawn_, "orange_touch");
        if (orangePressed) {
            touch(1);
        }
        ImGui::SameLine();
        ImGui::TextDisabled("game time %.2f s", session_.world().gameTime());
        drawTouches();
    }
    ImGui::End();
}

void GameWindow::drawTouches() {
    ImGui::Separator();
    ImGui::TextUnformatted("Touches, and what the plug-in did to the ball 0.01 s later");
    for (const pluginsdk::FlightEvent& event : events_) {
        const std::string row = describe(event);
        ImGui::TextUnformatted(row.c_str());
        if (&event == &events_.back()) {
            reportLastItem(drawn_, "last_touch_row", row);
        }
    }
}

}  // namespace host
