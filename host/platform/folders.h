// Making the folders a file the host keeps will live in (its settings, the console's history).
#pragma once

#include <optional>
#include <string>

namespace host {

// Creates the folder `path` and any missing folders above it. Returns why that failed, naming the
// folder, or nothing (also when it was there already).
std::optional<std::string> createFolders(const std::string& path);

}  // namespace host
