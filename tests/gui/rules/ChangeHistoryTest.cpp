#include "app/rules/ChangeHistory.hpp"

#include <gtest/gtest.h>

namespace lathwork::rules {
namespace {

// File state n as bytes of a given length.
ChangeHistory::Bytes State(int n, std::size_t length = 4) { return ChangeHistory::Bytes(length, static_cast<std::uint8_t>(n)); }

TEST(ChangeHistory, UndoAndRedoWalkTheChangesOfEachFileWithinBounds)
{
    ChangeHistory history(3, 100);
    history.Record("a", State(1), State(1)); // changed nothing: nothing to take back
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    for (int n = 1; n <= 5; ++n) {
        history.Record("a", State(n), State(n + 1));
    }
    history.Record("b", State(7), State(8));
    for (int n = 5; n >= 3; --n) { // three of a's changes are kept, the latest first
        ASSERT_NE(history.UndoTarget("a"), nullptr);
        EXPECT_EQ(history.UndoTarget("a")->before, State(n));
        history.Undone("a");
    }
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    EXPECT_TRUE(history.UndoDropped("a"));
    EXPECT_FALSE(history.UndoDropped("b"));
    history.Redone("a");
    EXPECT_EQ(history.RedoTarget("a")->after, State(5));
    history.Record("a", State(4), State(9)); // a new change forgets what Redo would make again
    EXPECT_EQ(history.RedoTarget("a"), nullptr);
    EXPECT_EQ(history.KeptBytes(), 3 * 8);

    // Over the bytes, the oldest changes of any file go; one larger than all that may be kept
    // is not kept, nor its file's earlier ones.
    history.Record("b", State(8), State(9, 40));
    EXPECT_EQ(history.KeptBytes(), 24 + 44);
    history.Record("b", State(9, 40), State(10, 40));
    EXPECT_EQ(history.UndoTarget("a"), nullptr);
    EXPECT_EQ(history.UndoTarget("b")->before, State(9, 40));
    EXPECT_EQ(history.KeptBytes(), 80);
    history.Record("b", State(10, 40), State(11, 100));
    EXPECT_EQ(history.UndoTarget("b"), nullptr);
    EXPECT_TRUE(history.UndoDropped("b"));
    EXPECT_EQ(history.KeptBytes(), 0);
}

} // namespace
} // namespace lathwork::rules
