// The plug-in base's special members: what each does to the owner counts of the host's handles.
#include <gtest/gtest.h>

#include "module_entry_points.h"

using BakkesMod::Plugin::BakkesModPlugin;
using quorvel_test::recordedGame;
using quorvel_test::recordedManager;

namespace {

struct Handles {
    std::vector<std::string> destroyed;
    std::shared_ptr<CVarManagerWrapper> manager = recordedManager(destroyed);
    std::shared_ptr<GameWrapper> game = recordedGame(destroyed);

    BakkesModPlugin filled() const {
        BakkesModPlugin plugin;
        plugin.cvarManagerShared = manager;
        plugin.gameWrapperShared = game;
        return plugin;
    }
};

}  // namespace

TEST(PluginBase, StartsWithBothHandlesEmpty) {
    const BakkesModPlugin plugin;
    EXPECT_FALSE(plugin.cvarManagerShared);
    EXPECT_FALSE(plugin.gameWrapperShared);
}

TEST(PluginBase, CopiesShareBothHandles) {
    Handles handles;
    const BakkesModPlugin original = handles.filled();
    ASSERT_EQ(handles.manager.use_count(), 2);

    const BakkesModPlugin copy(original);
    EXPECT_EQ(copy.cvarManagerShared, handles.manager);
    EXPECT_EQ(copy.gameWrapperShared, handles.game);
    EXPECT_EQ(handles.manager.use_count(), 3);
    EXPECT_EQ(handles.game.use_count(), 3);

    BakkesModPlugin assigned;
    assigned = original;
    EXPECT_EQ(handles.manager.use_count(), 4);
    EXPECT_EQ(handles.game.use_count(), 4);

    const BakkesModPlugin empty;
    const BakkesModPlugin emptyCopy(empty);
    EXPECT_FALSE(emptyCopy.cvarManagerShared);
    EXPECT_FALSE(emptyCopy.gameWrapperShared);
}

TEST(PluginBase, CopyAssignmentReleasesWhatWasHeldBefore) {
    Handles before;
    Handles after;
    BakkesModPlugin target = before.filled();
    const BakkesModPlugin source = after.filled();
    before.manager.reset();
    before.game.reset();

    target = source;
    EXPECT_EQ(before.destroyed, (std::vector<std::string>{"manager", "game"}))
        << "assignment handles cvarManagerShared, then gameWrapperShared";
    EXPECT_EQ(after.manager.use_count(), 3);
}

TEST(PluginBase, SelfAssignmentChangesNothing) {
    Handles handles;
    BakkesModPlugin plugin = handles.filled();
    BakkesModPlugin& same = plugin;
    plugin = same;
    EXPECT_EQ(plugin.cvarManagerShared, handles.manager);
    EXPECT_EQ(plugin.gameWrapperShared, handles.game);
    EXPECT_EQ(handles.manager.use_count(), 2);
    EXPECT_EQ(handles.game.use_count(), 2);
    EXPECT_TRUE(handles.destroyed.empty());
}

TEST(PluginBase, MovesTakeBothHandlesOverWithoutChangingCounts) {
    Handles handles;
    BakkesModPlugin source = handles.filled();

    BakkesModPlugin moved(std::move(source));
    EXPECT_FALSE(source.cvarManagerShared);  // NOLINT(bugprone-use-after-move): the move empties it
    EXPECT_FALSE(source.gameWrapperShared);
    EXPECT_EQ(moved.cvarManagerShared, handles.manager);
    EXPECT_EQ(handles.manager.use_count(), 2);
    EXPECT_EQ(handles.game.use_count(), 2);

    Handles other;
    BakkesModPlugin target = other.filled();
    other.manager.reset();
    other.game.reset();
    target = std::move(moved);
    EXPECT_FALSE(moved.cvarManagerShared);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(target.gameWrapperShared, handles.game);
    EXPECT_EQ(handles.manager.use_count(), 2);
    EXPECT_EQ(other.destroyed, (std::vector<std::string>{"manager", "game"}));
}

TEST(PluginBase, DestructionReleasesTheGameHandleFirst) {
    Handles handles;
    {
        const BakkesModPlugin plugin = handles.filled();
        handles.manager.reset();
        handles.game.reset();
    }
    EXPECT_EQ(handles.destroyed, (std::vector<std::string>{"game", "manager"}));
}
