// One input of the module-file fuzzer: bytes that the host is asked to load as a plug-in module.
//
// Called by the fuzzer once per input and by the regression replays, on one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace fuzzing {

// Writes the bytes to a new module file in `folder`, asks the loader whether it would refuse them
// before running any of their code in this process (the file check, and opening and closing them
// in a child process) and removes the file. Returns the loader's refusal, or nothing when the bytes
// would be loaded. Each input gets a file name never used before in this process, so a module that
// the dynamic loader keeps open cannot stand in for a later one of the same name.
// Throws std::runtime_error if the file cannot be written.
std::optional<std::string> loadBytesAsModule(const std::uint8_t* data, std::size_t size,
                                             const std::filesystem::path& folder);

}  // namespace fuzzing
