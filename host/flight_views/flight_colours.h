// The colours the flight's pictures share, so that a team, the ghost or a cleared spin looks the
// same in every view.
#pragma once

#include <cstdint>

#include <imgui.h>

namespace host::flight_colours {

inline constexpr ImU32 kBlue = IM_COL32(64, 128, 255, 255);
inline constexpr ImU32 kOrange = IM_COL32(255, 150, 40, 255);
inline constexpr ImU32 kOtherTeam = IM_COL32(180, 180, 180, 255);
inline constexpr ImU32 kBall = IM_COL32(255, 255, 255, 255);
inline constexpr ImU32 kGhost = IM_COL32(160, 200, 255, 90);
inline constexpr ImU32 kFiring = IM_COL32(255, 255, 120, 255);
inline constexpr ImU32 kSpinCleared = IM_COL32(255, 70, 70, 255);
inline constexpr ImU32 kArena = IM_COL32(120, 140, 120, 255);
inline constexpr ImU32 kPitch = IM_COL32(25, 45, 30, 255);
inline constexpr ImU32 kText = IM_COL32(230, 230, 230, 255);

// Team 0 blue, team 1 orange, any other number grey.
inline ImU32 team(std::uint8_t number) {
    return number == 0 ? kBlue : number == 1 ? kOrange : kOtherTeam;
}

}  // namespace host::flight_colours
