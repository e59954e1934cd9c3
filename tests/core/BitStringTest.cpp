#include "opt/BitString.hpp"
#include "opt/OptError.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

TEST(DecToBin, WritesDigitsWithoutLeadingZeros)
{
    EXPECT_EQ(DecToBin(0, 1, 16), "");
    EXPECT_EQ(DecToBin(5, 1, 16), "101");
    EXPECT_EQ(DecToBin(255, 1, 16), "11111111");
    EXPECT_EQ(DecToBin(256, 1, 16), "100000000");
    EXPECT_EQ(DecToBin(32767, 1, 16), std::string(15, '1'));
}

TEST(DecToBin, NumBitsLimitsTheOneBitsWrittenHighestFirst)
{
    EXPECT_EQ(DecToBin(7, 1, 2), "110");
    EXPECT_EQ(DecToBin(7, 1, 0), "");
    EXPECT_EQ(DecToBin(5, 9, 16), "101"); // bitStart has no effect
}

TEST(DecToBin, RejectsValuesOutsideItsRange)
{
    EXPECT_THROW(DecToBin(-1, 1, 16), OptError);
    EXPECT_THROW(DecToBin(32768, 1, 16), OptError);
}

TEST(BinBuffer, PadsOnTheLeftButNeverCuts)
{
    std::string empty;
    BinBuffer(empty, 8);
    EXPECT_EQ(empty, "00000000");
    std::string five = "101";
    BinBuffer(five, 8);
    EXPECT_EQ(five, "00000101");
    std::string nine = "100000000";
    BinBuffer(nine, 8);
    EXPECT_EQ(nine, "100000000");
}

TEST(BinToDec, ReadsFieldsLeftAligned)
{
    const std::string colour = "1111100000011111";
    EXPECT_EQ(BinToDec(colour, 1, 5), 31);
    EXPECT_EQ(BinToDec(colour, 6, 6), 0);
    EXPECT_EQ(BinToDec(colour, 12, 5), 31);
    EXPECT_EQ(BinToDec("101", 1, 5), 20); // missing characters are low zero bits
    EXPECT_EQ(BinToDec("101", 1, 0), 0);
    EXPECT_EQ(BinToDec("101", 9, 4), 0);  // a start past the end reads nothing
    EXPECT_EQ(BinToDec("0111111111111111", 1, 16), 32767);
}

TEST(BinToDec, RejectsFieldsThatDoNotFitSixteenSignedBits)
{
    EXPECT_THROW(BinToDec("1000000000000000", 1, 16), OptError);
    EXPECT_THROW(BinToDec("1", 1, 17), OptError);
    EXPECT_THROW(BinToDec("1", 0, 1), OptError);
}

TEST(SplitPaletteEntry, MatchesPlainBitArithmeticForEveryValue)
{
    for (int v = 0; v < 65536; ++v) {
        const auto fields = SplitPaletteEntry(static_cast<std::uint8_t>(v & 255), static_cast<std::uint8_t>(v >> 8));
        ASSERT_EQ(fields.red5, v >> 11) << v;
        ASSERT_EQ(fields.green6, (v >> 5) & 63) << v;
        ASSERT_EQ(fields.blue5, v & 31) << v;
    }
    const auto magenta = SplitPaletteEntry(0x1F, 0xF8);
    EXPECT_EQ(magenta.red5, 31);
    EXPECT_EQ(magenta.green6, 0);
    EXPECT_EQ(magenta.blue5, 31);
}

} // namespace
} // namespace lathwork
