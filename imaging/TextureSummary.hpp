#pragma once

#include "opt/OptView.hpp"

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

namespace lathwork {

// What a texture already carries from earlier rewrites: the window shows it and the command
// line's info prints it, both from here.
struct TextureSummary {
    std::int32_t node = 0;          // file offset of the texture node
    std::int32_t childCount = 0;    // its NodeCount c
    std::int32_t width = 0;         // ImageWidth
    std::int32_t height = 0;        // ImageHeight
    // The palette stands directly behind the pixel data (an illuminated or transparent
    // texture's private copy); otherwise it may be shared with other textures.
    bool ownPalette = false;
    // The colour entries whose value is the same in all 16 lighting rows: self-lit.
    std::bitset<256> selfLit;
    // The texture's one child is an AlphaNode of opacity bytes.
    bool hasAlphaNode = false;

    int SelfLitCount() const { return static_cast<int>(selfLit.count()); }
};

// How much of a texture a summary reads: Layout reads its fields and checks where its palette
// and child lie, without reading the palette's colours (selfLit stays empty); a check of the
// whole model needs no more.
enum class SummaryDetail { Full, Layout };

// The facts of the texture node at offset node; nullopt when its child count is neither 0 nor 1
// (such textures are never read or rewritten). Throws OptError when its palette or its child
// lies outside the file.
std::optional<TextureSummary> ReadTextureSummary(OptView bytes, std::int32_t globalOffset, std::int32_t node,
                                                 SummaryDetail detail = SummaryDetail::Full);

// The texture's whole palette block: 16 lighting rows of 256 colours (8192 bytes). Throws
// OptError when its child count is neither 0 nor 1 or the block lies outside the file.
std::vector<std::uint8_t> ReadPaletteBlock(OptView bytes, std::int32_t globalOffset, std::int32_t node);

// The opacity bytes the texture's AlphaNode holds (one per pixel byte, 255 opaque), or nullopt
// when it has none. Throws OptError when they lie outside the file.
std::optional<std::vector<std::uint8_t>> ReadStoredOpacity(OptView bytes, std::int32_t globalOffset,
                                                           std::int32_t node);

} // namespace lathwork
