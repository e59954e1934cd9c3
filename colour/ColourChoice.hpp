#pragma once

#include "colour/Similarity.hpp"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace lathwork {

// The colour choice of the Illumination and Transparency modes at BEGIN.
struct ColourChoice {
    bool customSelect = false;     // "Custom select" (true) or "Entire texture" (false)
    std::vector<Rgb> picked;       // the picked-colour lists, row by row
    int tolerance = 32;            // the tolerance scroll bar, 0..255
};

// The palette entries (0..255) a colour choice selects in a texture whose palette row 7 is
// row (512 bytes). "Entire texture": all 256. "Custom select": the entries similar to a picked
// colour, picked colour outer, entry inner, each entry once where first found; an entry is
// compared as 8-bit channels (its 5-bit fields times 8, the 6-bit green times 4). The
// illumination and transparency rewrites select through this, and so can a preview.
// Throws OptError when row is not 512 bytes.
std::vector<int> SelectedEntries(std::span<const std::uint8_t> row, const ColourChoice& choice);

// The same as a mark per entry.
std::array<bool, 256> SelectedEntryMarks(std::span<const std::uint8_t> row, const ColourChoice& choice);

// Throws OptError unless the tolerance and every channel of the picked colours lie in 0..255.
void CheckColourChoice(const ColourChoice& choice);

} // namespace lathwork
