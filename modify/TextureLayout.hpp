#pragma once

#include "opt/OptImage.hpp"

#include <cstdint>
#include <optional>

namespace lathwork {

// Where the fields of one texture node stand, for its child count c (0 or 1).
struct TextureLayout {
    std::int32_t node = 0;
    std::int32_t childCount = 0;
    std::int32_t dataSize = 0;    // DataSize
    std::int32_t paletteSlot = 0; // +33+4c: PalettePtr
    std::int32_t pixels = 0;      // +57+4c
    std::int32_t end = 0;         // pixels + DataSize: where a private palette belongs
};

// The layout of the texture at node, or nullopt when its c is neither 0 nor 1 (such a node has
// no palette slot the rewrites know, so they leave it alone). Throws OptError when DataSize is
// negative or the pixel data runs past the end of the file.
std::optional<TextureLayout> ReadTextureLayout(const OptImage& image, std::int32_t node);

} // namespace lathwork
