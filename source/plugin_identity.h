// Texts that name the plug-in, shared by the description record and the settings panel.
#pragma once

namespace quorvel {
inline constexpr char kClassName[] = "Quorvel";
inline constexpr char kDescription[] = "Makes the ball slower after you hit it";
inline constexpr char kVersion[] = "1.0.0.37";
}  // namespace quorvel
