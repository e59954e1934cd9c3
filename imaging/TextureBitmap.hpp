#pragma once

#include "imaging/TextureImage.hpp"

#include <cstdint>
#include <vector>

namespace lathwork {

// The bytes of the 8-bit BMP written for one texture: 54 header bytes, the 256-entry colour
// table from palette row 7, then the image bytes (rows padded to 4 bytes when the image is
// exactly width x height bytes).
std::vector<std::uint8_t> WriteTextureBitmap(const TextureImage& texture);

} // namespace lathwork
