// Modules on POSIX systems: dlopen, dlsym, dlclose; and one of a module's imports redirected by
// rewriting the module's own global offset table entries for the symbol, so only that module sees
// the replacement.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cxxabi.h>
#include <filesystem>
#include <system_error>
#include <utility>

#include "dynamic_library.h"
#include "host_error.h"

namespace host {

DynamicLibrary DynamicLibrary::open(const std::string& path, std::string& error, const std::string& /*dependencyFolder*/) {
    // A bare file name would send dlopen searching the library path; a module is always named by
    // its path, so make a relative one explicit.
    const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
    dlerror();
    void* handle = dlopen(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "the module could not be opened";
        return DynamicLibrary();
    }
    return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

bool DynamicLibrary::contains(const void* address) const {
    link_map* module = nullptr;
    Dl_info found{};
    if (handle_ == nullptr || dlinfo(handle_, RTLD_DI_LINKMAP, &module) != 0 || module == nullptr ||
        dladdr(address, &found) == 0) {
        return false;
    }
    return reinterpret_cast<ElfW(Addr)>(found.dli_fbase) == module->l_addr ||
           (found.dli_fname != nullptr && module->l_name != nullptr && std::strcmp(found.dli_fname, module->l_name) == 0);
}

namespace {

struct ImageSearch {
    ElfW(Addr) base;
    std::uintptr_t first = UINTPTR_MAX;
    std::uintptr_t last = 0;
};

int findImage(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<ImageSearch*>(data);
    if (info->dlpi_addr != search->base) {
        return 0;
    }
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type == PT_LOAD) {
            search->first = std::min<std::uintptr_t>(search->first, info->dlpi_addr + header.p_vaddr);
            search->last = std::max<std::uintptr_t>(search->last, info->dlpi_addr + header.p_vaddr + header.p_memsz);
        }
    }
    return 1;
}

}  // namespace

std::pair<std::uintptr_t, std::uintptr_t> DynamicLibrary::imageRange() const {
    link_map* module = nullptr;
    if (handle_ == nullptr || dlinfo(handle_, RTLD_DI_LINKMAP, &module) != 0 || module == nullptr) {
        return {0, 0};
    }
    ImageSearch search{module->l_addr};
    dl_iterate_phdr(&findImage, &search);
    return search.first < search.last ? std::pair{search.first, search.last} : std::pair<std::uintptr_t, std::uintptr_t>{0, 0};
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        dlclose(std::exchange(handle_, nullptr));
    }
}

namespace {

#if defined(__x86_64__)
constexpr unsigned kJumpSlot = R_X86_64_JUMP_SLOT;
constexpr unsigned kGlobalData = R_X86_64_GLOB_DAT;
#elif defined(__aarch64__)
constexpr unsigned kJumpSlot = R_AARCH64_JUMP_SLOT;
constexpr unsigned kGlobalData = R_AARCH64_GLOB_DAT;
#else
#error "import redirection knows the relocation types of x86-64 and AArch64 only"
#endif

struct RelroSearch {
    ElfW(Addr) base;
    ElfW(Addr) start = 0;
    ElfW(Addr) end = 0;
};

// Finds the module's read-only-after-relocation range, so a slot there can be made read-only again.
int findRelro(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<RelroSearch*>(data);
    if (info->dlpi_addr != search->base) {
        return 0;
    }
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type == PT_GNU_RELRO) {
            search->start = info->dlpi_addr + header.p_vaddr;
            search->end = search->start + header.p_memsz;
        }
    }
    return 1;
}

bool writeSlot(void** slot, void* replacement, const RelroSearch& relro) {
    const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto address = reinterpret_cast<std::uintptr_t>(slot);
    void* page = reinterpret_cast<void*>(address & ~(pageSize - 1));
    if (mprotect(page, pageSize, PROT_READ | PROT_WRITE) != 0) {
        return false;
    }
    *slot = replacement;
    if (address >= relro.start && address < relro.end) {
        mprotect(page, pageSize, PROT_READ);
    }
    return true;
}

// Calls `visit(slot, symbol, name)` for each of the module's relocations of a global offset table
// or jump slot that names a symbol.
template <typename Visit>
void forEachSymbolSlot(const link_map& map, Visit&& visit) {
    const ElfW(Addr) base = map.l_addr;
    // The dynamic linker rewrites these entries to run-time addresses on most systems; where it
    // does not, they are offsets from the load address.
    const auto resolve = [base](ElfW(Addr) pointer) { return pointer < base ? pointer + base : pointer; };

    const ElfW(Sym)* symbols = nullptr;
    const char* strings = nullptr;
    const ElfW(Rela)* tables[2] = {nullptr, nullptr};
    std::size_t sizes[2] = {0, 0};
    for (const ElfW(Dyn)* entry = map.l_ld; entry->d_tag != DT_NULL; ++entry) {
        switch (entry->d_tag) {
        case DT_SYMTAB: symbols = reinterpret_cast<const ElfW(Sym)*>(resolve(entry->d_un.d_ptr)); break;
        case DT_STRTAB: strings = reinterpret_cast<const char*>(resolve(entry->d_un.d_ptr)); break;
        case DT_JMPREL: tables[0] = reinterpret_cast<const ElfW(Rela)*>(resolve(entry->d_un.d_ptr)); break;
        case DT_PLTRELSZ: sizes[0] = entry->d_un.d_val; break;
        case DT_RELA: tables[1] = reinterpret_cast<const ElfW(Rela)*>(resolve(entry->d_un.d_ptr)); break;
        case DT_RELASZ: sizes[1] = entry->d_un.d_val; break;
        default: break;
        }
    }
    if (symbols == nullptr || strings == nullptr) {
        return;
    }
    for (int t = 0; t < 2; ++t) {
        if (tables[t] == nullptr) {
            continue;
        }
        const std::size_t count = sizes[t] / sizeof(ElfW(Rela));
        for (std::size_t i = 0; i < count; ++i) {
            const ElfW(Rela)& relocation = tables[t][i];
            const auto type = static_cast<unsigned>(ELF64_R_TYPE(relocation.r_info));
            const auto symbol = ELF64_R_SYM(relocation.r_info);
            if ((type != kJumpSlot && type != kGlobalData) || symbol == 0) {
                continue;
            }
            visit(reinterpret_cast<void**>(base + relocation.r_offset), symbols[symbol], strings + symbols[symbol].st_name);
        }
    }
}

}  // namespace

int DynamicLibrary::redirectImport(const char* name, void* replacement) {
    link_map* map = nullptr;
    if (handle_ == nullptr || dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        return 0;
    }
    RelroSearch relro{map->l_addr};
    dl_iterate_phdr(&findRelro, &relro);
    int changed = 0;
    forEachSymbolSlot(*map, [&](void** slot, const ElfW(Sym)&, const char* symbolName) {
        if (std::strcmp(symbolName, name) == 0 && writeSlot(slot, replacement, relro)) {
            ++changed;
        }
    });
    return changed;
}

std::optional<std::vector<std::string>> whyStillMapped(const std::string& path) {
    const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(explicitPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> uniqueSymbols;
    bool threadLocalDestructors = false;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
        forEachSymbolSlot(*map, [&](void**, const ElfW(Sym)& symbol, const char* name) {
            if (ELF64_ST_BIND(symbol.st_info) == STB_GNU_UNIQUE && symbol.st_shndx != SHN_UNDEF) {
                int status = 0;
                char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
                const std::string shown = status == 0 && readable != nullptr ? readable : name;
                std::free(readable);
                if (std::find(uniqueSymbols.begin(), uniqueSymbols.end(), shown) == uniqueSymbols.end()) {
                    uniqueSymbols.push_back(shown);
                }
            } else if (std::strcmp(name, "__cxa_thread_atexit") == 0 || std::strcmp(name, "__cxa_thread_atexit_impl") == 0) {
                threadLocalDestructors = true;
            }
        });
    }
    std::vector<std::string> reasons;
    if (!uniqueSymbols.empty()) {
        std::string names;
        for (const std::string& name : uniqueSymbols) {
            names += (names.empty() ? "" : ", ") + name;
        }
        reasons.push_back("it binds GNU unique symbols (" + names +
                          "), and the dynamic loader never unloads such a module (GCC's -fno-gnu-unique, or hidden "
                          "visibility, makes none)");
    }
    if (threadLocalDestructors) {
        reasons.push_back("it has thread-local objects with destructors, and one made on a thread that still runs "
                          "keeps the module until that thread ends");
    }
    dlclose(handle);  // the reference dlopen just took
    return reasons;
}

}  // namespace host
