// Modules on Windows: LoadLibrary, GetProcAddress, FreeLibrary; and one of a module's imports
// redirected by rewriting its own import address table entries for the function, so only that
// module sees the replacement.
//
// Paths are narrow strings in the process's ANSI code page, as the program's arguments arrive.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "dynamic_library.h"
#include "host_error.h"

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

DynamicLibrary DynamicLibrary::open(const std::string& path, std::string& error, const std::string& dependencyFolder) {
    // A module's own dependencies are looked for beside the file opened first, then in
    // `dependencyFolder` (where a module opened from a copy was shipped with them); the SDK library
    // and the C++ runtime are the host's, already loaded. A missing or broken file must fail the
    // call, not stop the process with a system dialog.
    // That search starts from the module's full path, so a relative one is made absolute first.
    char fullPath[MAX_PATH];
    const DWORD fullLength = GetFullPathNameA(path.c_str(), sizeof fullPath, fullPath, nullptr);
    const char* opened = fullLength > 0 && fullLength < sizeof fullPath ? fullPath : path.c_str();
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (!dependencyFolder.empty()) {
        SetDllDirectoryA(dependencyFolder.c_str());
    }
    HMODULE handle = LoadLibraryExA(opened, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD code = handle == nullptr ? GetLastError() : 0;
    if (!dependencyFolder.empty()) {
        SetDllDirectoryA(nullptr);
    }
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

bool DynamicLibrary::contains(const void* address) const {
    HMODULE module = nullptr;
    return handle_ != nullptr &&
           GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCSTR>(address), &module) &&
           module == static_cast<HMODULE>(handle_);
}

std::pair<std::uintptr_t, std::uintptr_t> DynamicLibrary::imageRange() const {
    MODULEINFO information{};
    if (handle_ == nullptr ||
        !K32GetModuleInformation(GetCurrentProcess(), static_cast<HMODULE>(handle_), &information, sizeof information)) {
        return {0, 0};
    }
    const auto base = reinterpret_cast<std::uintptr_t>(information.lpBaseOfDll);
    return {base, base + information.SizeOfImage};
}

std::optional<std::vector<std::string>> whyStillMapped(const std::string& path) {
    if (GetModuleHandleA(path.c_str()) == nullptr) {
        return std::nullopt;
    }
    return std::vector<std::string>{};
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(std::exchange(handle_, nullptr)));
    }
}

namespace {

// Whether the module's import `imported` is the C function `name`. The C runtime exports `time`
// under two names: with a 64-bit time_t, MinGW-w64's and Microsoft's headers turn a call of `time`
// into a call of `_time64`, while other code imports `time` itself. Both take and return a 64-bit
// time_t, so one replacement serves both.
bool importIs(const char* imported, const char* name) {
    if (std::strcmp(imported, name) == 0) {
        return true;
    }
    return std::strcmp(name, "time") == 0 && std::strcmp(imported, "_time64") == 0;
}

bool writeSlot(ULONG_PTR* slot, void* replacement) {
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) {
        return false;
    }
    *slot = reinterpret_cast<ULONG_PTR>(replacement);
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof *slot, previous, &ignored);
    return true;
}

}  // namespace

int DynamicLibrary::redirectImport(const char* name, void* replacement) {
    if (handle_ == nullptr) {
        return 0;
    }
    auto* base = static_cast<std::uint8_t*>(handle_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
        return 0;
    }
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) {
        return 0;
    }
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0 || directory.Size == 0) {
        return 0;
    }

    int changed = 0;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         library->Name != 0; ++library) {
        // The lookup table keeps the names; the address table beside it holds what the loader
        // resolved them to, and is what the module's code calls through.
        const DWORD lookupTable = library->OriginalFirstThunk != 0 ? library->OriginalFirstThunk : library->FirstThunk;
        const auto* lookup = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + lookupTable);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; lookup->u1.AddressOfData != 0; ++lookup, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)) {
                continue;  // imported by number: no name to match
            }
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData);
            if (!importIs(reinterpret_cast<const char*>(byName->Name), name)) {
                continue;
            }
            if (writeSlot(&addresses->u1.Function, replacement)) {
                ++changed;
            }
        }
    }
    return changed;
}

}  // namespace host
