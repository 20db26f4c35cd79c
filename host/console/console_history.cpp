#include "console_history.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace host {
namespace {

bool worthKeeping(const std::string& line) {
    return !line.empty() && std::none_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7f;
    });
}

}  // namespace

std::optional<std::string> readHistory(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::error_code error;
    const std::string located = fromStartingDirectory(path);
    const auto status = std::filesystem::status(located, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return std::nullopt;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return "cannot read the history '" + path + "': it is not a regular file";
    }
    std::ifstream in(located, std::ios::binary);
    if (!in) {
        return "cannot read the history '" + path + "': " + std::strerror(errno);
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (worthKeeping(line)) {
            lines.push_back(line);
        }
    }
    if (lines.size() > kHistoryLines) {
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(kHistoryLines));
    }
    return std::nullopt;
}

std::optional<std::string> writeHistory(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    const std::size_t first = lines.size() > kHistoryLines ? lines.size() - kHistoryLines : 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (worthKeeping(lines[i])) {
            text += lines[i];
            text += '\n';
        }
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty()) {
        if (auto problem = createFolders(folder)) {
            return problem;
        }
    }
    try {
        writeFileAtomically(path, text);
    } catch (const HostError& error) {
        return error.what();
    }
    return std::nullopt;
}

}  // namespace host
