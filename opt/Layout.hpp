#pragma once

#include <cstdint>

// Byte offsets of the OPT fields the tool reads or writes, in one place. The fields of a
// texture node, which move with its child count, are in opt/TextureNode.hpp.
namespace lathwork::layout {

// File header.
inline constexpr std::int32_t kBodyLength = 4;     // file length - 8
inline constexpr std::int32_t kPointerBase = 8;    // stored-pointer value of offset 8
inline constexpr std::int32_t kTopNodeCount = 14;
inline constexpr std::int32_t kHeaderPointer = 18; // relocated, never followed
inline constexpr std::int32_t kTopNodeTable = 22;

// Node header, from the node's first byte.
inline constexpr std::int32_t kHeadPointer = 0;    // textures: a stored pointer
inline constexpr std::int32_t kNodeType = 4;
inline constexpr std::int32_t kNodeCount = 8;
inline constexpr std::int32_t kChildTablePtr = 12;
inline constexpr std::int32_t kSetMode = 16;       // texture sets
inline constexpr std::int32_t kDataPtr = 20;       // a stored pointer to the node's data
inline constexpr std::int32_t kInlineChildren = 24;
inline constexpr std::int32_t kNodeHeaderBytes = 24; // +0 .. +20

// +20 by the kind of node: a branch's distance table, the word the animation clears in a set,
// and the slot a group reads for most selectors.
inline constexpr std::int32_t kDistanceTablePtr = kDataPtr;
inline constexpr std::int32_t kSetAnimationWord = kDataPtr;
inline constexpr std::int32_t kGroupDefaultBranchSlot = kDataPtr;

// Node type codes.
inline constexpr std::int32_t kTypeGroup = 0;
inline constexpr std::int32_t kTypeLeaf1 = 1;
inline constexpr std::int32_t kTypeTextureRef = 7;
inline constexpr std::int32_t kTypeTexture = 20;
inline constexpr std::int32_t kTypeTextureSet = 24;
inline constexpr std::int32_t kTypeAlpha = 26;

// Names: 8 bytes at +24 of textures and texture references.
inline constexpr std::int32_t kTextureName = 24;
inline constexpr std::int32_t kNameLength = 8;

// Palette block: 16 rows of 256 two-byte colours; row 7 is the texture's own colours.
inline constexpr std::int32_t kPaletteRowBytes = 512;
inline constexpr std::int32_t kPaletteRows = 16;
inline constexpr std::int32_t kPaletteEntries = 256;
inline constexpr std::int32_t kPaletteBlockBytes = kPaletteRowBytes * kPaletteRows; // 8192
inline constexpr std::int32_t kPaletteShownRow = 3584;                               // row 7

// Alpha node added by the transparency rewrite: a node header whose +16 counts the opacity
// bytes that follow it and whose +20 designates them.
inline constexpr std::int32_t kAlphaHeaderBytes = 24;
inline constexpr std::int32_t kAlphaByteCount = 16;

// Texture set modes.
inline constexpr std::int32_t kSetAnimated = 0;
inline constexpr std::int32_t kSetAnimatable = 1;

} // namespace lathwork::layout
