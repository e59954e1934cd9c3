#include "app/rules/NaturalOrder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using lathwork::rules::NaturalLess;

// Shuffled names of every kind sort into one order, which is a strict weak order and counts.
TEST(NaturalOrder, SortsShuffledNamesAsCounted)
{
    const std::vector<std::string> sorted{"a.opt", "A1.opt", "M2.OPT", "m02.opt", "M10.opt", "m10a.opt",
                                          "M010b.opt", "M100.opt", "Ma.opt", "x9999999999999999999999.opt",
                                          "x10000000000000000000000.opt", "z"};
    std::vector<std::string> names = sorted;
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(names.begin(), names.end(), random);
        std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return NaturalLess(a, b); });
        EXPECT_EQ(names, sorted);
    }
    for (const auto& a : sorted) {
        EXPECT_FALSE(NaturalLess(a, a));
        for (const auto& b : sorted) {
            EXPECT_FALSE(NaturalLess(a, b) && NaturalLess(b, a)) << a << " " << b;
        }
    }
}
