// The plug-in base: the shape the host relies on, and the order in which its special members take
// and release the host's handles.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

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

// The host writes the handles into an object the module built, by the base's layout: a
// polymorphic class with the two shared pointers and nothing else.
TEST(PluginBase, HasOnlyTheShapeTheHostReachesInto) {
    EXPECT_TRUE(std::is_polymorphic_v<BakkesModPlugin>);
    EXPECT_EQ(sizeof(BakkesModPlugin), sizeof(void*) + sizeof(std::shared_ptr<CVarManagerWrapper>) +
                                           sizeof(std::shared_ptr<GameWrapper>))
        << "a member added to the base moves what the host and old modules agree on";
    EXPECT_TRUE(std::is_nothrow_move_constructible_v<BakkesModPlugin>);
    EXPECT_TRUE(std::is_nothrow_move_assignable_v<BakkesModPlugin>);
}

// The special members handle cvarManagerShared, then gameWrapperShared, and destruction the other
// way round: the order the two are declared in, which these catch being swapped.
TEST(PluginBase, CopyAssignmentSharesTheNewHandlesAndReleasesTheOldInOrder) {
    Handles before;
    Handles after;
    BakkesModPlugin target = before.filled();
    const BakkesModPlugin source = after.filled();
    before.manager.reset();
    before.game.reset();

    target = source;
    EXPECT_EQ(before.destroyed, (std::vector<std::string>{"manager", "game"}))
        << "assignment handles cvarManagerShared, then gameWrapperShared";
    EXPECT_EQ(target.cvarManagerShared, after.manager);
    EXPECT_EQ(target.gameWrapperShared, after.game);
    EXPECT_EQ(after.manager.use_count(), 3);

    BakkesModPlugin& same = target;
    target = same;
    EXPECT_EQ(after.manager.use_count(), 3) << "self-assignment changes nothing";
    EXPECT_EQ(after.game.use_count(), 3);
}

TEST(PluginBase, MoveAssignmentTakesTheHandlesOverAndReleasesTheOldInOrder) {
    Handles handles;
    Handles other;
    BakkesModPlugin target = other.filled();
    other.manager.reset();
    other.game.reset();

    BakkesModPlugin source = handles.filled();
    target = std::move(source);
    EXPECT_EQ(other.destroyed, (std::vector<std::string>{"manager", "game"}));
    EXPECT_EQ(target.gameWrapperShared, handles.game);
    EXPECT_FALSE(source.cvarManagerShared);  // NOLINT(bugprone-use-after-move): the move empties it
    EXPECT_EQ(handles.manager.use_count(), 2) << "a move takes the handles over without a copy";
    EXPECT_EQ(handles.game.use_count(), 2);
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
