#pragma once

#include <cstdint>

// Byte offsets of every OPT field the tool reads or writes, in one place.
namespace lathwork::layout {

// File header.
inline constexpr std::int32_t kBodyLength = 4;    // file length - 8
inline constexpr std::int32_t kPointerBase = 8;   // stored-pointer value of offset 8
inline constexpr std::int32_t kTopNodeCount = 14;
inline constexpr std::int32_t kHeaderPointer = 18; // relocated, never followed
inline constexpr std::int32_t kTopNodeTable = 22;

// Node header, from the node's first byte.
inline constexpr std::int32_t kNodeHead = 0;      // textures: a stored pointer
inline constexpr std::int32_t kNodeType = 4;
inline constexpr std::int32_t kNodeCount = 8;
inline constexpr std::int32_t kChildTablePtr = 12;
inline constexpr std::int32_t kSetMode = 16;
inline constexpr std::int32_t kSlot20 = 20;       // group slot / distance table / leaf pointer
inline constexpr std::int32_t kInlineChildren = 24;
inline constexpr std::int32_t kTextureName = 24;
inline constexpr std::int32_t kNameLength = 8;

// Texture node fields; add 4 * c (c = the node's child count, 0 or 1).
inline constexpr std::int32_t kTextureChildren = 33;
inline constexpr std::int32_t kPalettePtr = 33;
inline constexpr std::int32_t kImageSize = 41;
inline constexpr std::int32_t kDataSize = 45;
inline constexpr std::int32_t kImageWidth = 49;
inline constexpr std::int32_t kImageHeight = 53;
inline constexpr std::int32_t kPixels = 57;

// Node type codes.
inline constexpr std::int32_t kTypeGroup = 0;
inline constexpr std::int32_t kTypeLeaf1 = 1;
inline constexpr std::int32_t kTypeTextureRef = 7;
inline constexpr std::int32_t kTypeTexture = 20;
inline constexpr std::int32_t kTypeTextureSet = 24;
inline constexpr std::int32_t kTypeAlpha = 26;

// Palette block: 16 rows of 256 two-byte colours; row 7 is the texture's own colours.
inline constexpr std::int32_t kPaletteRowBytes = 512;
inline constexpr std::int32_t kPaletteRows = 16;
inline constexpr std::int32_t kPaletteBlockBytes = kPaletteRowBytes * kPaletteRows; // 8192
inline constexpr std::int32_t kPaletteShownRow = 3584;                               // row 7

// Alpha node added by the transparency rewrite.
inline constexpr std::int32_t kAlphaHeaderBytes = 24;
inline constexpr std::int32_t kAlphaDataSize = 16;

// Texture set modes.
inline constexpr std::int32_t kSetAnimated = 0;
inline constexpr std::int32_t kSetAnimatable = 1;

} // namespace lathwork::layout
