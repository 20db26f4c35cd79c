// Modules on Windows: LoadLibrary, GetProcAddress, FreeLibrary.
//
// Paths are narrow strings in the process's ANSI code page, as the program's arguments arrive.
#include <windows.h>

#include <utility>

#include "dynamic_library.h"

namespace host {
namespace {

// The exception code GCC's C++ runtime raises a C++ exception with ("GCC" in ASCII, customer bit
// set). The loader stops an exception out of the module's start-up and reports its code.
constexpr DWORD kGccCxxException = 0x20474343;

std::string describeLastError(DWORD code) {
    if (code == kGccCxxException) {
        return "its static set-up threw a C++ exception (error " + std::to_string(code) + ")";
    }
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    // The system's messages end in ".\r\n"; the host adds its own punctuation.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) {
        message = "the module could not be opened";
    }
    return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

DynamicLibrary DynamicLibrary::open(const std::string& path, std::string& error) {
    // A module's own dependencies (the SDK library, the C++ runtime) are looked for beside the
    // module first, as they are shipped beside it. A missing or broken file must fail the call,
    // not stop the process with a system dialog.
    // That search starts from the module's full path, so a relative one is made absolute first.
    char fullPath[MAX_PATH];
    const DWORD fullLength = GetFullPathNameA(path.c_str(), sizeof fullPath, fullPath, nullptr);
    const char* opened = fullLength > 0 && fullLength < sizeof fullPath ? fullPath : path.c_str();
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryExA(opened, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD code = handle == nullptr ? GetLastError() : 0;
    SetErrorMode(previousMode);
    if (handle == nullptr) {
        error = describeLastError(code);
        return DynamicLibrary();
    }
    return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(std::exchange(handle_, nullptr)));
    }
}

}  // namespace host
