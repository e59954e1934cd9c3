#include "imaging/TextureBitmap.hpp"

#include "imaging/BitmapLayout.hpp"
#include "opt/BitString.hpp"
#include "opt/ByteCodec.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

#include <algorithm>
#include <cstring>
#include <string>

namespace lathwork {

using namespace bitmap;

namespace {

void PutLong(std::vector<std::uint8_t>& out, std::int32_t offset, std::int32_t value)
{
    codec::StoreLong(out.data() + offset, value);
}

void PutInteger(std::vector<std::uint8_t>& out, std::int32_t offset, std::int16_t value)
{
    codec::Store16(out.data() + offset, static_cast<std::uint16_t>(value));
}

// Readers expect every row to fill a multiple of 4 bytes. An image stored as exactly width x
// height bytes holds unpadded rows, so those get padded; anything else is written as stored,
// since its row layout is unknown.
std::int64_t PaddedRow(const TextureImage& t)
{
    const std::int64_t w = t.width;
    const std::int64_t h = t.height;
    const bool rowsUnpadded = w > 0 && h > 0 && w * h == static_cast<std::int64_t>(t.pixels.size()) &&
                              w % kRowAlignment != 0;
    return rowsUnpadded ? (w + kRowAlignment - 1) / kRowAlignment * kRowAlignment : 0;
}

} // namespace

std::vector<std::uint8_t> WriteTextureBitmap(const TextureImage& texture)
{
    if (texture.paletteRow.size() != static_cast<std::size_t>(layout::kPaletteRowBytes)) {
        throw OptError("A texture's colour row must hold " + std::to_string(layout::kPaletteRowBytes) +
                       " bytes, not " + std::to_string(texture.paletteRow.size()) + ".");
    }
    const std::int64_t stride = PaddedRow(texture);
    const std::int64_t imageBytes =
        stride > 0 ? stride * texture.height : static_cast<std::int64_t>(texture.pixels.size());
    if (imageBytes > 0x7FFFFFFFLL - kImageBytes) {
        throw OptError("The texture is too large for a bitmap: " + std::to_string(imageBytes) +
                       " image bytes do not fit its 32-bit length field.");
    }
    const auto length = static_cast<std::int32_t>(kImageBytes + imageBytes);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length), 0);

    out[kSignature] = kSignatureBytes[0];        // 0: "BM"
    out[kSignature + 1] = kSignatureBytes[1];
    PutLong(out, kFileLength, length);           // 2: whole file, padding included
    PutLong(out, kPixelOffset, kImageBytes);        // 10: 1078
    PutLong(out, kInfoSize, kInfoHeaderBytes);   // 14: 40
    PutLong(out, kWidth, texture.width);         // 18
    PutLong(out, kHeight, texture.height);       // 22: as read, so the first row is the bottom one
    PutInteger(out, kPlanes, kPlanesValue);      // 26: 1
    PutInteger(out, kBitsPerPixel, kBitsPerPixelValue); // 28: 8
    // 6, 8 and 30 to 53 (compression, image size, resolutions, colour counts) stay 0.

    // 54: the colour table, each 5-6-5 entry of palette row 7 taken apart through the bit
    // strings and scaled by 8, 4 and 8 (no low-bit replication: full intensity is 248/252/248).
    for (int i = 0; i < kColourEntries; ++i) {
        const auto lo = texture.paletteRow[static_cast<std::size_t>(2 * i)];
        const auto hi = texture.paletteRow[static_cast<std::size_t>(2 * i + 1)];
        const PaletteFields fields = SplitPaletteEntry(lo, hi);
        const auto entry = static_cast<std::size_t>(kColourTable + kColourEntryBytes * i);
        out[entry] = static_cast<std::uint8_t>(fields.blue5 * 8);
        out[entry + 1] = static_cast<std::uint8_t>(fields.green6 * 4);
        out[entry + 2] = static_cast<std::uint8_t>(fields.red5 * 8);
    }

    // 1078: the image bytes in stored order, each row followed by its zero padding if needed.
    std::uint8_t* pixels = out.data() + kImageBytes;
    if (stride == 0) {
        std::copy(texture.pixels.begin(), texture.pixels.end(), pixels);
    } else {
        const auto w = static_cast<std::size_t>(texture.width);
        for (std::size_t y = 0; y < static_cast<std::size_t>(texture.height); ++y) {
            std::memcpy(pixels + y * static_cast<std::size_t>(stride), texture.pixels.data() + y * w, w);
        }
    }
    return out;
}

} // namespace lathwork
