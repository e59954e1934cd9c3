#pragma once

#include "modify/Requests.hpp"

#include <cstdint>
#include <span>

// What the illumination and transparency rewrites do to one texture's bytes, shared by the
// one-pass rewrite (modify/OnePassRewrite.cpp) and the walking oracle of the tests.
namespace lathwork {

// The request of either rewrite, without its names.
struct TextureChange {
    enum class Kind { Illumination, Transparency };
    Kind kind = Kind::Illumination;
    ColourChoice colours;
    int opacity = 255; // transparency only
};

// The Long a texture's ChildTablePtr holds while the transparency rewrite works on it. Its
// target lies before the file, so relocation leaves it alone.
inline constexpr std::int32_t kChildPlaceholder = -1234;

// Copies the row-7 value of every chosen entry into all 16 rows of a palette block. Row 7
// itself never changes, so lighting a block twice gives the block lit once.
void LightPalette(std::span<std::uint8_t> block, const ColourChoice& colours);

// The 24-byte header of the AlphaNode that stands at offset alpha and holds dataSize opacity
// bytes behind its header (its +20 designates them).
void WriteAlphaHeader(std::span<std::uint8_t> header, std::int32_t alpha, std::int32_t dataSize,
                      std::int32_t globalOffset);

// One opacity byte per pixel: opacity where the pixel's palette entry is chosen (in the
// palette whose row 7 is row7), 255 elsewhere.
void WriteOpacities(std::span<std::uint8_t> opacities, std::span<const std::uint8_t> pixels,
                    std::span<const std::uint8_t> row7, const ColourChoice& colours, int opacity);

// Throws OptError unless the request's values lie in their ranges.
void CheckTextureChange(const TextureChange& change);

} // namespace lathwork
