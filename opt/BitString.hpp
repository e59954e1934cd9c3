#pragma once

#include <cstdint>
#include <string>

namespace lathwork {

// Numbers as text of "0" and "1", most significant bit first, the way palette colours are
// taken apart. Positions are 1-based.

// The binary digits of decVal (0 to 32767) without leading zeros. At most numBits one-bits are
// written, highest first: DecToBin(7, 1, 2) is "110". bitStart has no effect.
std::string DecToBin(int decVal, int bitStart, int numBits);

// Pads bitVal on the left with "0" up to numBits characters; longer text is left as it is.
void BinBuffer(std::string& bitVal, int numBits);

// The value of the numBits (0 to 16) characters of bitVal from bitStart, read left-aligned:
// characters missing at the end of the text count as low zero bits. Throws OptError when the
// value does not fit a 16-bit signed integer.
std::int16_t BinToDec(const std::string& bitVal, int bitStart, int numBits);

// The 5-6-5 fields of a palette entry stored as the bytes lo, hi.
struct PaletteFields {
    int red5 = 0;
    int green6 = 0;
    int blue5 = 0;
};

// Takes an entry apart through the bit strings: DecToBin of each byte padded to 8 digits, high
// digits first, then fields (1, 5), (6, 6), (12, 5). Results are computed once per value.
PaletteFields SplitPaletteEntry(std::uint8_t lo, std::uint8_t hi);

} // namespace lathwork
