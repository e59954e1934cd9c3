#include "app/rules/ChangeHistory.hpp"

#include <gtest/gtest.h>

#include <random>

namespace lathwork::rules {
namespace {

using Bytes = ChangeHistory::Bytes;

// File states 1, 2, 3 ... as bytes of a given length.
Bytes State(int n, std::size_t length = 4) { return Bytes(length, static_cast<std::uint8_t>(n)); }

TEST(ChangeHistory, UndoAndRedoWalkTheChangesOfEachFileInTurn)
{
    ChangeHistory history(3, 1000);
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    history.Record("a", State(1), State(1)); // changed nothing: nothing to take back
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    for (int n = 1; n <= 5; ++n) {
        history.Record("a", State(n), State(n + 1));
    }
    history.Record("b", State(7), State(8));
    // Three changes of a are kept, the latest first; b's history is its own.
    for (int n = 5; n >= 3; --n) {
        ASSERT_NE(history.UndoTarget("a"), nullptr);
        EXPECT_EQ(history.UndoTarget("a")->before, State(n));
        history.Undone("a");
    }
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    EXPECT_TRUE(history.UndoDropped("a"));
    EXPECT_FALSE(history.UndoDropped("b"));
    EXPECT_EQ(history.UndoTarget("b")->after, State(8));
    EXPECT_EQ(history.RedoTarget("a")->after, State(4));
    history.Redone("a");
    EXPECT_EQ(history.RedoTarget("a")->after, State(5));
    // A new change forgets what Redo would have made again.
    history.Record("a", State(4), State(9));
    EXPECT_EQ(history.RedoTarget("a"), nullptr);
    EXPECT_EQ(history.UndoTarget("a")->after, State(9));
}

TEST(ChangeHistory, StaysWithinItsBytesDroppingTheOldestChangeOfAnyFile)
{
    std::mt19937 rng(3);
    ChangeHistory history(5, 200);
    std::map<std::string, int> files;
    for (int step = 0; step < 2000; ++step) {
        const std::string file(1, static_cast<char>('a' + rng() % 3));
        const int roll = static_cast<int>(rng() % 4);
        if (roll == 0 && history.UndoTarget(file) != nullptr) {
            history.Undone(file);
        } else if (roll == 1 && history.RedoTarget(file) != nullptr) {
            history.Redone(file);
        } else {
            history.Record(file, State(step, rng() % 40), State(step + 1, rng() % 40));
        }
        ASSERT_LE(history.KeptBytes(), 200);
        ASSERT_GE(history.KeptBytes(), 0);
    }
    // A change larger than everything kept may take is not kept, nor the file's earlier ones.
    history.Record("a", State(1, 1), State(2, 1));
    history.Record("a", State(2, 1), State(3, 300));
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    EXPECT_TRUE(history.UndoDropped("a"));

    ChangeHistory two(20, 100);
    two.Record("a", State(1, 20), State(2, 20));
    two.Record("b", State(1, 20), State(2, 20));
    two.Record("b", State(2, 20), State(3, 20)); // 120 bytes: a's change is the oldest
    EXPECT_EQ(two.UndoTarget("a"), nullptr);
    EXPECT_TRUE(two.UndoDropped("a"));
    EXPECT_EQ(two.KeptBytes(), 80);
}

} // namespace
} // namespace lathwork::rules
