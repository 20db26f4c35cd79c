// Reading and writing a test's files in one call. Plain stream writes, not the host's atomic
// writer: tests use these to set the scene the host's own writing is then checked against.
#pragma once

#include <filesystem>
#include <string>

namespace quorvel_test {

// Every byte of the file. Throws std::runtime_error if it cannot be opened.
std::string readWholeFile(const std::filesystem::path& path);
// Replaces the file's contents. Throws std::runtime_error if the write fails.
void writeWholeFile(const std::filesystem::path& path, const std::string& contents);

}  // namespace quorvel_test
