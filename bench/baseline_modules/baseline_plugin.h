// What each baseline plug-in module provides to the shared module boundary
// (baseline_module_entry.cpp): the one plug-in object, created on the host's first getPlugin call.
#pragma once

#include <memory>

#include "bakkesmod/plugin/bakkesmod_plugin.h"

std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> makeBaselinePlugin();
