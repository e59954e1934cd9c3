#include "imaging/ResultPreview.hpp"

#include "modify/TextureChanges.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

using namespace layout;

namespace {

void CheckBlock(std::span<const std::uint8_t> block, int row)
{
    if (block.size() != static_cast<std::size_t>(kPaletteBlockBytes)) {
        throw OptError("A palette block holds 8192 bytes, not " + std::to_string(block.size()) + ".");
    }
    if (row < 0 || row >= kLightingRows) {
        throw OptError("A palette has lighting rows 0 to 15, not " + std::to_string(row) + ".");
    }
}

TextureImage WithRow(const TextureImage& texture, std::span<const std::uint8_t> block, int row)
{
    TextureImage lit = texture;
    const auto bytes = block.subspan(static_cast<std::size_t>(row) * kPaletteRowBytes, kPaletteRowBytes);
    lit.paletteRow.assign(bytes.begin(), bytes.end());
    return lit;
}

} // namespace

TextureImage AtLightingRow(const TextureImage& texture, std::span<const std::uint8_t> block, int row)
{
    CheckBlock(block, row);
    return WithRow(texture, block, row);
}

TextureImage PendingIllumination(const TextureImage& texture, std::span<const std::uint8_t> block, int row,
                                 const ColourChoice& choice)
{
    CheckBlock(block, row);
    CheckColourChoice(choice);
    std::vector<std::uint8_t> lit(block.begin(), block.end());
    LightPalette(lit, choice);
    return WithRow(texture, lit, row);
}

std::vector<std::uint8_t> PendingOpacities(const TextureImage& texture, const ColourChoice& choice, int opacity)
{
    CheckTextureChange({TextureChange::Kind::Transparency, choice, opacity});
    if (texture.paletteRow.size() != static_cast<std::size_t>(kPaletteRowBytes)) {
        throw OptError("A palette row holds 512 bytes.");
    }
    std::vector<std::uint8_t> opacities(texture.pixels.size());
    WriteOpacities(opacities, texture.pixels, texture.paletteRow, choice, opacity);
    return opacities;
}

TextureImage OpacityLayout(const TextureImage& texture, std::span<const std::uint8_t> opacities)
{
    TextureImage layout = texture;
    const std::size_t known = std::min(opacities.size(), texture.pixels.size());
    std::copy_n(opacities.begin(), known, layout.pixels.begin());
    std::fill(layout.pixels.begin() + static_cast<std::ptrdiff_t>(known), layout.pixels.end(), std::uint8_t{255});
    return layout;
}

} // namespace lathwork
