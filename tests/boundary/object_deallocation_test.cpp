// Destroying the plug-in object through the module's shared pointer must free the whole object, as
// the plug-in class, never only its plug-in base. Freeing it as the base would hand the allocator
// the base's size. This program replaces the global sized operator delete to see the size the
// module's code passes for the object's address.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "bakkesmod/plugin/plugin_settings_window.h"
#include "module_entry_points.h"

namespace {
void* watchedAddress = nullptr;
std::size_t freedSize = 0;
int freedTimes = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    if (memory != nullptr && memory == watchedAddress) {
        ++freedTimes;
    }
    std::free(memory);
}

void operator delete(void* memory, std::size_t size) noexcept {
    if (memory != nullptr && memory == watchedAddress) {
        freedSize = size;
        ++freedTimes;
    }
    std::free(memory);
}

TEST(ObjectDestruction, FreesTheWholeObjectAsThePluginClass) {
    quorvel_test::ModuleEntryPoints module = quorvel_test::ModuleEntryPoints::open();
    auto* slot = module.getPlugin();
    ASSERT_TRUE(*slot);
    watchedAddress = slot->get();
    module.deleteMe();
    watchedAddress = nullptr;

    EXPECT_EQ(freedTimes, 1);
    EXPECT_EQ(freedSize, sizeof(BakkesMod::Plugin::BakkesModPlugin) + sizeof(BakkesMod::Plugin::PluginSettingsWindow))
        << "the object was freed with another size than the whole plug-in object's";
}
