// Opaque types behind the SDK's handles. Only the host's SDK library defines them; a plug-in sees
// them as incomplete types inside weak and shared references and never touches them directly.
#pragma once

namespace pluginsdk::detail {
struct BallState;         // one ball in the game world
struct ConsoleVariable;   // one console variable
struct PluginScope;       // the identity of one loaded plug-in: its name and the world it lives in
}  // namespace pluginsdk::detail
