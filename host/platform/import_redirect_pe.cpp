// Redirecting one of a module's imports on Windows: rewrite the module's own import address table
// entries for the function, so only that module sees the replacement.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "dynamic_library.h"

namespace host {
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
