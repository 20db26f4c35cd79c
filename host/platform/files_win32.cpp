// Files the host keeps, on Windows: whole-file writes (a uniquely named file beside the target,
// WriteFile, FlushFileBuffers, CloseHandle, then MoveFileEx over the target) and the user's
// application-data folders.
//
// Paths are narrow strings in the process's ANSI code page, as the program's arguments arrive.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "files.h"
#include "host_error.h"

namespace host {
namespace {

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        return ".";
    }
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

[[noreturn]] void fail(const std::string& path, DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        reason = "system error " + std::to_string(code);
    }
    throw HostError("cannot write " + path + ": " + reason);
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string located = fromStartingDirectory(path);
    const DWORD attributes = GetFileAttributesA(located.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw HostError("cannot write " + path + ": Is a directory");
    }
    const std::string folder = folderOf(located);
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string temporary;
    for (unsigned attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder + "\\.quorvel-write-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount64()) + "-" + std::to_string(attempt);
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && (GetLastError() != ERROR_FILE_EXISTS || attempt == 100)) {
            fail(path, GetLastError());
        }
    }
    DWORD error = ERROR_SUCCESS;
    while (!bytes.empty() && error == ERROR_SUCCESS) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            error = GetLastError();
        } else if (written == 0) {
            error = ERROR_WRITE_FAULT;
        } else {
            bytes.remove_prefix(written);
        }
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file)) {
        error = GetLastError();
    }
    if (!CloseHandle(file) && error == ERROR_SUCCESS) {
        error = GetLastError();
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(temporary.c_str(), located.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileA(temporary.c_str());
        fail(path, error);
    }
}

namespace {

std::optional<std::string> inFolder(const char* variable, const char* name) {
    const char* folder = std::getenv(variable);
    if (folder == nullptr || folder[0] == '\0') {
        return std::nullopt;
    }
    return std::string(folder) + "\\quorvel\\" + name;
}

}  // namespace

std::optional<std::string> defaultSettingsPath() {
    return inFolder("APPDATA", "host.cfg");
}

std::optional<std::string> defaultHistoryPath() {
    return inFolder("LOCALAPPDATA", "history");
}

FileLock::FileLock(const std::string& path) {
    HANDLE file = CreateFileA(fromStartingDirectory(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fail("the lock file " + path, GetLastError());
    }
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD code = GetLastError();
        CloseHandle(file);
        fail("the lock file " + path, code);
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileLock::~FileLock() {
    // Closing lets go of the lock.
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::string makePrivateFolder(const std::string& parent, const std::string& prefix) {
    // CreateDirectory fails on a name that exists, so nobody else's folder or file is ever taken
    // for it; a folder under the user's temporary folder is the user's alone.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = fromStartingDirectory(parent) + "\\" + prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(GetTickCount64()) + "-" + std::to_string(attempt);
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw HostError("cannot make a folder in '" + parent + "' (error " + std::to_string(GetLastError()) + ")");
}

}  // namespace host
