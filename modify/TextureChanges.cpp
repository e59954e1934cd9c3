#include "modify/TextureChanges.hpp"

#include "opt/ByteCodec.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/OptView.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace lathwork {

using namespace layout;

void LightPalette(std::span<std::uint8_t> block, const ColourChoice& colours)
{
    std::array<std::uint8_t, kPaletteRowBytes> row7{};
    std::memcpy(row7.data(), block.data() + kPaletteShownRow, row7.size());
    const auto chosen = SelectedEntryMarks(row7, colours);
    // A byte mask of the chosen entries, so that every row is blended without a branch.
    std::array<std::uint8_t, kPaletteRowBytes> mask{};
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        mask[2 * i] = mask[2 * i + 1] = chosen[i] ? 0xFF : 0x00;
    }
    for (std::int32_t r = 0; r < kPaletteRows; ++r) {
        std::uint8_t* row = block.data() + static_cast<std::ptrdiff_t>(kPaletteRowBytes) * r;
        for (std::size_t j = 0; j < row7.size(); ++j) {
            row[j] = static_cast<std::uint8_t>((row7[j] & mask[j]) | (row[j] & ~mask[j]));
        }
    }
}

void WriteAlphaHeader(std::span<std::uint8_t> header, std::int32_t alpha, std::int32_t dataSize, std::int32_t g)
{
    const std::int32_t opacities = CheckedAdd(CheckedAdd(alpha, kAlphaHeaderBytes), g);
    const std::int32_t fields[] = {0, kTypeAlpha, 0, 0, dataSize, opacities}; // +0 .. +20
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        codec::StoreLong(header.data() + 4 * i, fields[i]);
    }
}

void WriteOpacities(std::span<std::uint8_t> opacities, std::span<const std::uint8_t> pixels,
                    std::span<const std::uint8_t> row7, const ColourChoice& colours, int opacity)
{
    const auto v = static_cast<std::uint8_t>(opacity);
    if (!colours.customSelect) {
        std::fill(opacities.begin(), opacities.end(), v);
        return;
    }
    const auto chosen = SelectedEntryMarks(row7, colours);
    for (std::size_t p = 0; p < opacities.size(); ++p) {
        opacities[p] = chosen[pixels[p]] ? v : 255;
    }
}

void CheckTextureChange(const TextureChange& change)
{
    CheckColourChoice(change.colours);
    if (change.kind == TextureChange::Kind::Transparency && (change.opacity < 0 || change.opacity > 255)) {
        throw OptError("The opacity must lie from 0 to 255.");
    }
}

} // namespace lathwork
