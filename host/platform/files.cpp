#include "files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace host {

namespace {

std::filesystem::path startingDirectory;

}  // namespace

void rememberStartingDirectory() {
    std::error_code error;
    startingDirectory = std::filesystem::current_path(error);
}

std::string fromStartingDirectory(const std::string& path) {
    const std::filesystem::path given(path);
    if (startingDirectory.empty() || path.empty() || !given.is_relative()) {
        return path;
    }
    return (startingDirectory / given).string();
}

std::optional<std::string> createFolders(const std::string& path) {
    const std::string located = fromStartingDirectory(path);
    std::error_code error;
    std::filesystem::create_directories(located, error);
    if (error) {
        return "cannot create the folder '" + path + "': " + error.message();
    }
    if (!std::filesystem::is_directory(located, error)) {
        return "cannot create the folder '" + path + "': a file of that name is in the way";
    }
    return std::nullopt;
}

std::optional<std::string> whyCannotWrite(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path located = fromStartingDirectory(path);
    if (fs::is_directory(located, error)) {
        return std::string("it is a folder");
    }
    const fs::path folder = fs::path(path).has_parent_path() ? fs::path(path).parent_path() : fs::path(".");
    if (!fs::is_directory(fromStartingDirectory(folder.string()), error)) {
        return "there is no folder '" + folder.string() + "'";
    }
    // The one sure answer: make a file beside it, as writing it would, and remove it again.
    const fs::path probe = fs::path(fromStartingDirectory(folder.string())) / (".quorvel-write-check-" + std::to_string(std::random_device()()));
    std::ofstream made(probe);
    if (!made) {
        return std::string(std::strerror(errno));
    }
    made.close();
    fs::remove(probe, error);
    return std::nullopt;
}

}  // namespace host
