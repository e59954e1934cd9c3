#pragma once

#include "imaging/TextureImage.hpp"

#include <cstdint>
#include <vector>

namespace lathwork {

// The bytes of the 8-bit BMP written for one texture: 54 header bytes, the 256-entry colour
// table from palette row 7, then the image bytes. When the image is exactly width x height
// bytes and the width is not a multiple of 4, each row is followed by zero bytes up to the next
// multiple of 4 (and the length field counts them); otherwise the image bytes are as stored.
// Throws OptError when the palette row is not 512 bytes or the file would pass 2 GiB.
std::vector<std::uint8_t> WriteTextureBitmap(const TextureImage& texture);

} // namespace lathwork
