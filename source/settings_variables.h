// The plug-in's settings: host console variables, registered by the load step and looked up by
// name wherever they are used. Nothing caches a value, so a change applies at its next use.
#pragma once

namespace quorvel {
inline constexpr char kEnabledBlue[] = "quorvel_enabled_blue";      // bool: act on blue touches
inline constexpr char kEnabledOrange[] = "quorvel_enabled_orange";  // bool: act on orange touches
inline constexpr char kFactor[] = "quorvel_factor";                 // float: speed multiplier
inline constexpr char kTrajectory[] = "quorvel_trajectory";         // float: deflection, in percent
}  // namespace quorvel
