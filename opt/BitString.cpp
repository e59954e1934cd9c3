#include "opt/BitString.hpp"

#include "opt/ByteCodec.hpp"
#include "opt/OptError.hpp"

#include <array>

namespace lathwork {

std::string DecToBin(int decVal, int /*bitStart*/, int numBits)
{
    if (decVal < 0 || decVal > 32767) {
        throw OptError("DecToBin takes values from 0 to 32767, not " + std::to_string(decVal) + ".");
    }
    std::string bits(16, '0');
    for (int repeat = 0; repeat < numBits; ++repeat) {
        if (decVal == 0) {
            continue;
        }
        int b = 0;
        while ((1 << (b + 1)) <= decVal) {
            ++b;
        }
        bits[static_cast<std::size_t>(15 - b)] = '1'; // position 16 - b, 1-based
        decVal -= 1 << b;
    }
    const auto first = bits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : bits.substr(first);
}

void BinBuffer(std::string& bitVal, int numBits)
{
    if (static_cast<int>(bitVal.size()) < numBits) {
        bitVal.insert(0, static_cast<std::size_t>(numBits) - bitVal.size(), '0');
    }
}

std::int16_t BinToDec(const std::string& bitVal, int bitStart, int numBits)
{
    if (numBits < 0 || numBits > 16 || bitStart < 1) {
        throw OptError("BinToDec takes 0 to 16 bits from position 1 on.");
    }
    std::string field = static_cast<std::size_t>(bitStart) <= bitVal.size()
                            ? bitVal.substr(static_cast<std::size_t>(bitStart) - 1, static_cast<std::size_t>(numBits))
                            : std::string();
    field.insert(0, static_cast<std::size_t>(16 - numBits), '0');
    int result = 0;
    for (int i = 1; i <= numBits; ++i) {
        const auto position = static_cast<std::size_t>(16 - numBits + i); // 1-based
        if (position <= field.size() && field[position - 1] == '1') {
            result += 1 << (numBits - i);
        }
    }
    if (result > 32767) {
        throw OptError("BinToDec: a 16-bit field beginning with 1 does not fit a signed integer.");
    }
    return static_cast<std::int16_t>(result);
}

namespace {

PaletteFields SplitThroughBitStrings(int lo, int hi)
{
    std::string low = DecToBin(lo, 1, 16);
    std::string high = DecToBin(hi, 1, 16);
    BinBuffer(low, 8);
    BinBuffer(high, 8);
    const std::string colour = high + low;
    return {BinToDec(colour, 1, 5), BinToDec(colour, 6, 6), BinToDec(colour, 12, 5)};
}

} // namespace

PaletteFields SplitPaletteEntry(std::uint8_t lo, std::uint8_t hi)
{
    // Each value is taken apart through the bit strings the first time it is met.
    static std::array<PaletteFields, 65536> cache{};
    static std::array<bool, 65536> known{};
    const std::uint8_t stored[2] = {lo, hi};
    const std::size_t v = codec::Load16(stored);
    if (!known[v]) {
        cache[v] = SplitThroughBitStrings(lo, hi);
        known[v] = true;
    }
    return cache[v];
}

} // namespace lathwork
