#pragma once

#include "modify/PointerStore.hpp"
#include "modify/Requests.hpp"
#include "modify/TextureLayout.hpp"
#include "opt/OptImage.hpp"

#include <cstdint>

namespace lathwork {

// Gives the texture a private copy of its palette directly behind its pixel data, unless its
// palette already stands there. Returns true when a copy was inserted (8192 bytes). Pointers
// are read, written and relocated through store.
bool EnsureOwnPalette(OptImage& image, const TextureLayout& texture, PointerStore& store);
bool EnsureOwnPalette(OptImage& image, const TextureLayout& texture);

// Makes the chosen colours of the texture node at offset node self-lit: their row-7 value is
// copied into all 16 palette rows, after EnsureOwnPalette. A node whose c is neither 0 nor 1 is
// left unchanged (returns false).
bool IlluminateTexture(OptImage& image, std::int32_t node, const ColourChoice& colours, PointerStore& store);
bool IlluminateTexture(OptImage& image, std::int32_t node, const ColourChoice& colours);

} // namespace lathwork
