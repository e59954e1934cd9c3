#pragma once

#include "modify/Requests.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace lathwork {

// A palette entry of row 7 that matched a picked colour: its byte index in the row (0, 2, ...,
// 510) and its two bytes as stored.
struct MatchEntry {
    std::int32_t index = 0;
    std::uint8_t lo = 0;
    std::uint8_t hi = 0;
};

// The entries of a 512-byte palette row that are similar to the picked colours, picked colour
// outer, entry inner, in order of discovery: an entry matched by two colours is listed twice.
// Entries are compared as 8-bit channels (5-bit fields times 8, the 6-bit green times 4).
std::vector<MatchEntry> BuildMatchTable(std::span<const std::uint8_t> row, const ColourChoice& colours);

// Throws OptError unless the tolerance and every channel of the picked colours lie in 0..255.
void CheckColourChoice(const ColourChoice& colours);

} // namespace lathwork
