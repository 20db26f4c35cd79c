#include "shared_call_record.h"

#include <pthread.h>

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace pluginsdk {
namespace {

SharedCallRecord ownRecord;
SharedCallRecord* record = &ownRecord;
// For a thread that finds every slot taken: written to, never read.
SharedCallRecord::ThreadSlot noOnesSlot;

std::int32_t kernelThreadId() {
#if defined(_WIN32)
    return static_cast<std::int32_t>(GetCurrentThreadId());
#else
    return static_cast<std::int32_t>(::syscall(SYS_gettid));
#endif
}

void copyName(char (&to)[SharedCallRecord::kNameSize], const std::string& from) {
    const std::size_t size = std::min(from.size(), sizeof to - 1);
    std::memcpy(to, from.data(), size);
    to[size] = '\0';
}

// Gives a thread's slot back as the thread ends: the destructor of a key, which is handed the slot
// itself. Not a thread_local object's destructor: MinGW's emulated thread-locals may free a thread's
// copies before such a destructor runs, which then read the slot from freed heap and wrote through it.
void giveSlotBack(void* taken) {
    auto* slot = static_cast<SharedCallRecord::ThreadSlot*>(taken);
    slot->depth.store(0, std::memory_order_relaxed);
    slot->thread.store(0, std::memory_order_release);
}

pthread_key_t slotKey() {
    static const pthread_key_t key = [] {
        pthread_key_t created{};
        ::pthread_key_create(&created, giveSlotBack);
        return created;
    }();
    return key;
}

}  // namespace

SharedCallRecord& callRecord() {
    return *record;
}

void shareCallRecord(SharedCallRecord* shared) {
    record = shared != nullptr ? shared : &ownRecord;
}

void recordModuleOpened(const std::string& name, std::uintptr_t start, std::uintptr_t end) {
    SharedCallRecord::ModuleRange* entry = nullptr;
    for (SharedCallRecord::ModuleRange& module : record->modules) {
        if (module.start.load(std::memory_order_relaxed) == start && module.end.load(std::memory_order_relaxed) == end &&
            std::strncmp(module.name, name.c_str(), sizeof module.name - 1) == 0) {
            entry = &module;
            break;
        }
    }
    if (entry == nullptr) {
        const std::uint32_t turn = record->modulesOpened.fetch_add(1, std::memory_order_relaxed);
        entry = &record->modules[turn % std::size(record->modules)];
        entry->loaded.store(0, std::memory_order_relaxed);
        entry->end.store(0, std::memory_order_relaxed);
        entry->start.store(start, std::memory_order_relaxed);
        copyName(entry->name, name);
        entry->end.store(end, std::memory_order_release);
    }
    entry->loaded.store(1, std::memory_order_release);
}

void recordModuleClosed(std::uintptr_t start) {
    for (SharedCallRecord::ModuleRange& module : record->modules) {
        if (module.start.load(std::memory_order_relaxed) == start) {
            module.loaded.store(0, std::memory_order_release);
        }
    }
}

const char* moduleHolding(std::uint64_t address, bool* stillLoaded) {
    const SharedCallRecord::ModuleRange* closed = nullptr;
    for (const SharedCallRecord::ModuleRange& module : record->modules) {
        if (address < module.start.load(std::memory_order_relaxed) || address >= module.end.load(std::memory_order_acquire)) {
            continue;
        }
        if (module.loaded.load(std::memory_order_acquire) != 0) {
            if (stillLoaded != nullptr) {
                *stillLoaded = true;
            }
            return module.name;
        }
        closed = &module;
    }
    if (stillLoaded != nullptr) {
        *stillLoaded = false;
    }
    return closed != nullptr ? closed->name : nullptr;
}

void recordPluginExit(const char* function, int status, const char* plugin, const char* entryPoint) {
    const auto copy = [](char* to, std::size_t size, const char* from) {
        std::size_t i = 0;
        for (; from != nullptr && from[i] != '\0' && i + 1 < size; ++i) {
            to[i] = from[i];
        }
        to[i] = '\0';
    };
    SharedCallRecord::PluginExit& exit = record->exit;
    exit.status = status;
    exit.inPluginCall = entryPoint != nullptr ? 1 : 0;
    copy(exit.function, sizeof exit.function, function);
    copy(exit.plugin, sizeof exit.plugin, plugin);
    copy(exit.entryPoint, sizeof exit.entryPoint, entryPoint);
    exit.written.store(1, std::memory_order_release);
}

const char* recordedPluginName(const SharedCallRecord& shared, PluginId plugin) {
    for (const SharedCallRecord::PluginName& entry : shared.names) {
        if (plugin != 0 && entry.plugin.load(std::memory_order_acquire) == plugin) {
            return entry.name;
        }
    }
    return nullptr;
}

namespace detail {

SharedCallRecord::ThreadSlot& claimThreadSlot() {
    for (SharedCallRecord::ThreadSlot& slot : record->threads) {
        std::int32_t free = 0;
        if (slot.thread.compare_exchange_strong(free, kernelThreadId(), std::memory_order_acq_rel)) {
            ::pthread_setspecific(slotKey(), &slot);
            return slot;
        }
    }
    return noOnesSlot;
}

void recordPluginName(PluginId plugin, const std::string& name) {
    static std::atomic<std::uint32_t> turn{0};
    SharedCallRecord::PluginName& entry = record->names[turn.fetch_add(1) % std::size(record->names)];
    entry.plugin.store(0, std::memory_order_relaxed);
    copyName(entry.name, name);
    entry.plugin.store(plugin, std::memory_order_release);
}

void leaveSharedCallRecord() {
#if !defined(_WIN32)
    if (record != &ownRecord) {
        // The same addresses, now the child's own memory: whatever points into it stays valid.
        void* at = record;
        const std::size_t size = kSharedCallRecordMapping;
        void* copy = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (copy != MAP_FAILED) {
            std::memcpy(copy, at, sizeof(SharedCallRecord));
            ::mremap(copy, size, size, MREMAP_MAYMOVE | MREMAP_FIXED, at);
        }
    }
#endif
}

}  // namespace detail
}  // namespace pluginsdk
