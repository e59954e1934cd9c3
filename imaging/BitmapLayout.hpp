#pragma once

#include <cstdint>

// Byte offsets and fixed values of the 8-bit bitmap written for a texture.
namespace lathwork::bitmap {

// File header.
inline constexpr std::int32_t kSignature = 0;      // "BM"
inline constexpr std::int32_t kFileLength = 2;
inline constexpr std::int32_t kReserved1 = 6;
inline constexpr std::int32_t kReserved2 = 8;
inline constexpr std::int32_t kPixelOffset = 10;

// Information header.
inline constexpr std::int32_t kInfoSize = 14;
inline constexpr std::int32_t kWidth = 18;
inline constexpr std::int32_t kHeight = 22;
inline constexpr std::int32_t kPlanes = 26;
inline constexpr std::int32_t kBitsPerPixel = 28;
inline constexpr std::int32_t kCompression = 30;   // 30 to 54: compression, image size,
inline constexpr std::int32_t kColourTable = 54;   // resolutions and colour counts, all 0

inline constexpr std::int32_t kInfoHeaderBytes = 40;
inline constexpr std::int32_t kColourEntries = 256;
inline constexpr std::int32_t kColourEntryBytes = 4;  // blue, green, red, 0
inline constexpr std::int32_t kImageBytes = kColourTable + kColourEntries * kColourEntryBytes; // 1078

inline constexpr std::uint8_t kSignatureBytes[2] = {0x42, 0x4D};
inline constexpr std::int16_t kPlanesValue = 1;
inline constexpr std::int16_t kBitsPerPixelValue = 8;

// Rows of a bitmap are stored in multiples of this many bytes.
inline constexpr std::int32_t kRowAlignment = 4;

} // namespace lathwork::bitmap
