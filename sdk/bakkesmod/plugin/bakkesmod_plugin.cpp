// The plug-in base's special members and empty operations. Compiled into each plug-in module.
// Each member is handled cvarManagerShared first, then gameWrapperShared; destruction runs in
// the reverse order of declaration. The standard library's shared-pointer assignment takes the
// new reference before it releases the old one, so self-assignment is harmless.
#include "bakkesmod/plugin/bakkesmod_plugin.h"

namespace BakkesMod::Plugin {

BakkesModPlugin::BakkesModPlugin() = default;
BakkesModPlugin::BakkesModPlugin(const BakkesModPlugin& other) = default;
BakkesModPlugin::BakkesModPlugin(BakkesModPlugin&& other) noexcept = default;
BakkesModPlugin::~BakkesModPlugin() = default;
BakkesModPlugin& BakkesModPlugin::operator=(const BakkesModPlugin& other) = default;
BakkesModPlugin& BakkesModPlugin::operator=(BakkesModPlugin&& other) noexcept = default;

void BakkesModPlugin::onLoad() {}
void BakkesModPlugin::onUnload() {}

}  // namespace BakkesMod::Plugin
