#pragma once

#include "colour/ColourChoice.hpp"
#include "imaging/TextureImage.hpp"

#include <cstdint>
#include <span>
#include <vector>

// What the preview shows besides palette row 7: the texture at another light level, the result
// a pending BEGIN would write, and opacity bytes placed over their pixels. Every picture is a
// TextureImage, so that it becomes a bitmap, colours included, exactly as row 7 does.
namespace lathwork {

inline constexpr int kLightingRows = 16;
inline constexpr int kShownLightingRow = 7;

// The texture as row `row` (0..15) of its palette block (8192 bytes) shows it. Throws OptError
// for another block size or row.
TextureImage AtLightingRow(const TextureImage& texture, std::span<const std::uint8_t> block, int row);

// The texture at row `row` once the illumination rewrite has applied choice to the block: the
// entries the choice selects show their row-7 colour at every row (the rewrite's own code
// makes the block). Throws OptError as AtLightingRow does, or for a choice out of range.
TextureImage PendingIllumination(const TextureImage& texture, std::span<const std::uint8_t> block, int row,
                                 const ColourChoice& choice);

// The opacity byte the transparency rewrite would write for each pixel byte of the texture
// (its own code), 255 where it leaves a pixel opaque. Throws OptError for a choice or an
// opacity out of range.
std::vector<std::uint8_t> PendingOpacities(const TextureImage& texture, const ColourChoice& choice, int opacity);

// Opacity bytes, one per pixel byte, laid out as the texture's pixels: the bitmap of the result
// holds each byte, as its palette index, where the texture's bitmap holds that pixel. Bytes past
// the image are left out; pixels without a byte count as opaque.
TextureImage OpacityLayout(const TextureImage& texture, std::span<const std::uint8_t> opacities);

} // namespace lathwork
