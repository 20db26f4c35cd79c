// The module's factory and release function, and what module unload does with the plug-in object.
#include <gtest/gtest.h>

#include <cstring>

#include "bakkesmod/plugin/plugin_settings_window.h"
#include "module_entry_points.h"
#include "pluginsdk/world.h"
#include "pluginsdk/world_types.h"

using quorvel_test::ModuleEntryPoints;
using quorvel_test::recordedGame;
using quorvel_test::recordedManager;

TEST(Factory, RepeatedCallsHandOutOneObjectAtOneAddress) {
    ModuleEntryPoints module = ModuleEntryPoints::open();
    auto* first = module.getPlugin();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(*first);
    BakkesMod::Plugin::BakkesModPlugin* object = first->get();

    auto* second = module.getPlugin();
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->get(), object);
    EXPECT_EQ(second->use_count(), 1) << "the module alone owns the object";
    module.deleteMe();
}

TEST(Factory, AfterReleaseTheNextCallCreatesAFreshObject) {
    std::vector<std::string> destroyed;
    ModuleEntryPoints module = ModuleEntryPoints::open();
    auto* slot = module.getPlugin();
    // Keep the first object alive, so the second cannot reuse its storage and its address proves it
    // is another object.
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> first = *slot;
    first->cvarManagerShared = recordedManager(destroyed);
    first->gameWrapperShared = recordedGame(destroyed);
    module.deleteMe();
    EXPECT_FALSE(*slot);

    auto* again = module.getPlugin();
    EXPECT_EQ(again, slot) << "the factory's address never changes while the module is loaded";
    ASSERT_TRUE(*again);
    EXPECT_NE(again->get(), first.get());
    EXPECT_FALSE((*again)->cvarManagerShared);
    EXPECT_FALSE((*again)->gameWrapperShared);
    module.deleteMe();
    first.reset();
    EXPECT_EQ(destroyed, (std::vector<std::string>{"game", "manager"}));
}

TEST(Factory, AHostCopyKeepsTheObjectAliveAfterRelease) {
    std::vector<std::string> destroyed;
    ModuleEntryPoints module = ModuleEntryPoints::open();
    auto* slot = module.getPlugin();
    (*slot)->cvarManagerShared = recordedManager(destroyed);
    (*slot)->gameWrapperShared = recordedGame(destroyed);
    std::shared_ptr<BakkesMod::Plugin::BakkesModPlugin> hostCopy = *slot;

    module.deleteMe();
    EXPECT_FALSE(*slot) << "release empties the module's pointer";
    EXPECT_EQ(hostCopy.use_count(), 1);
    EXPECT_TRUE(destroyed.empty()) << "the host's copy keeps the object and its handles";

    hostCopy.reset();
    EXPECT_EQ(destroyed, (std::vector<std::string>{"game", "manager"}))
        << "the object releases gameWrapperShared before cvarManagerShared";
}

TEST(Factory, ReleaseWithoutAnObjectDoesNothing) {
    ModuleEntryPoints module = ModuleEntryPoints::open();
    module.deleteMe();
    auto* slot = module.getPlugin();
    module.deleteMe();
    module.deleteMe();
    EXPECT_FALSE(*slot);
}

TEST(Factory, TheSettingsSideIsACrossCastAwayAndNamesThePlugin) {
    ModuleEntryPoints module = ModuleEntryPoints::open();
    auto* slot = module.getPlugin();
    auto* settings = dynamic_cast<BakkesMod::Plugin::PluginSettingsWindow*>(slot->get());
    ASSERT_NE(settings, nullptr);
    EXPECT_NE(static_cast<void*>(settings), static_cast<void*>(slot->get()))
        << "the settings side follows the plug-in side in the object";
    EXPECT_EQ(settings->GetDisplayName(), module.record->classNameText);
    EXPECT_EQ(settings->GetDisplayName(), "Quorvel");
    module.deleteMe();
}

// The texts the host shows are written out here on purpose: the build generates them from the
// project's name, version and description, and a change there must show up as this failure.
TEST(Factory, TheRecordDescribesThePlugin) {
    ModuleEntryPoints module = ModuleEntryPoints::open();
    const PluginDescriptor& record = *module.record;
    EXPECT_EQ(record.apiLevel, 95);
    EXPECT_STREQ(record.classNameText, "Quorvel");
    EXPECT_STREQ(record.descriptionText, "Makes the ball slower after you hit it");
    EXPECT_STREQ(record.versionText, "1.0.0.37");
    EXPECT_EQ(record.kindCode, 1);
    EXPECT_EQ(reinterpret_cast<void*>(record.createFunction), reinterpret_cast<void*>(module.getPlugin));
    EXPECT_EQ(reinterpret_cast<void*>(record.releaseFunction), reinterpret_cast<void*>(module.deleteMe));
    // The main source file, as an absolute path.
    const std::string source = record.sourcePath;
    EXPECT_TRUE(source.size() > 11 && source.compare(source.size() - 11, 11, "Quorvel.cpp") == 0) << source;
    EXPECT_TRUE(source[0] == '/' || (source.size() > 2 && source[1] == ':')) << source;
}

TEST(ModuleUnload, WithoutReleaseDestroysTheObjectAfterTheSharedManager) {
    std::vector<std::string> destroyed;
    long managerOwnersWhenGameWent = -1;
    {
        ModuleEntryPoints module = ModuleEntryPoints::open();
        auto* slot = module.getPlugin();
        std::shared_ptr<CVarManagerWrapper> manager = recordedManager(destroyed);
        std::weak_ptr<CVarManagerWrapper> watchManager = manager;
        (*slot)->cvarManagerShared = std::move(manager);
        // When the game handle goes, look at how many owners the manager still has: by then the
        // module-wide reference must be gone and only the object's own member is left.
        (*slot)->gameWrapperShared = std::shared_ptr<GameWrapper>(
            new GameWrapper(nullptr), [&destroyed, &managerOwnersWhenGameWent, watchManager](GameWrapper* game) {
                managerOwnersWhenGameWent = watchManager.use_count();
                destroyed.push_back("game");
                delete game;
            });
        // onLoad publishes the manager module-wide; with null scopes its host calls do nothing.
        (*slot)->onLoad();
        EXPECT_EQ(watchManager.use_count(), 2) << "the object's member and the module-wide reference";
        module.library.close();  // no deleteMe
    }
    EXPECT_EQ(destroyed, (std::vector<std::string>{"game", "manager"}));
    EXPECT_EQ(managerOwnersWhenGameWent, 1);
}

// A host that fills only one of the two handles before onLoad gets a plug-in that does nothing: no
// hook, no setting, no module-wide copy of the manager, and no crash on the handle that is missing.
TEST(LoadWithAHandleMissing, HooksAndRegistersNothing) {
    for (const bool managerFilled : {true, false}) {
        SCOPED_TRACE(managerFilled ? "only the manager filled" : "only the game filled");
        const std::shared_ptr<pluginsdk::World> world = pluginsdk::World::create();
        const auto scope = world->addPlugin("Quorvel");
        ModuleEntryPoints module = ModuleEntryPoints::open();
        BakkesMod::Plugin::BakkesModPlugin& plugin = **module.getPlugin();
        if (managerFilled) {
            plugin.cvarManagerShared = std::make_shared<CVarManagerWrapper>(scope);
        } else {
            plugin.gameWrapperShared = std::make_shared<GameWrapper>(scope);
        }

        plugin.onLoad();
        plugin.onUnload();
        EXPECT_EQ(world->hookCount(scope->id), 0u);
        EXPECT_TRUE(world->variables().empty());
        if (managerFilled) {
            EXPECT_EQ(plugin.cvarManagerShared.use_count(), 1) << "the module kept a copy of the manager";
        }
        module.deleteMe();
    }
}
