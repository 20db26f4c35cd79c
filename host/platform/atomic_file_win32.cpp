#include <windows.h>

#include <algorithm>
#include <string>

#include "atomic_file.h"

namespace host {
namespace {

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

std::string failure(const std::string& what, const std::string& path) {
    return "cannot " + what + " '" + path + "': " + systemMessage(GetLastError());
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view contents) {
    const std::string temporary = path + ".tmp-" + std::to_string(GetCurrentProcessId());
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return failure("create a temporary file beside", path);
    }
    std::optional<std::string> problem;
    std::size_t written = 0;
    while (!problem && written < contents.size()) {
        DWORD step = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - written, 1u << 30));
        if (!WriteFile(file, contents.data() + written, chunk, &step, nullptr)) {
            problem = failure("write", temporary);
        }
        written += step;
    }
    if (!problem && !FlushFileBuffers(file)) {
        problem = failure("flush to disk", temporary);
    }
    CloseHandle(file);
    if (!problem && !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        problem = failure("replace", path);
    }
    if (problem) {
        DeleteFileA(temporary.c_str());
    }
    return problem;
}

std::optional<std::string> createFolders(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t separator = path.find_first_of("/\\", start);
        if (separator == std::string::npos) {
            separator = path.size();
        }
        const std::string prefix = path.substr(0, separator);
        start = separator + 1;
        // Skip "", and drive names such as "C:".
        if (prefix.empty() || prefix.back() == ':') {
            continue;
        }
        if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return failure("create the folder", prefix);
        }
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return "cannot create the folder '" + path + "': a file of that name is in the way";
    }
    return std::nullopt;
}

}  // namespace host
