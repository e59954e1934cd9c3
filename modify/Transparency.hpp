#pragma once

#include "modify/PointerStore.hpp"
#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <cstdint>
#include <vector>

namespace lathwork {

// The Long a texture's ChildTablePtr holds while the transparency rewrite works on it. Its
// target lies before the file, so relocation leaves it alone.
inline constexpr std::int32_t kChildPlaceholder = -1234;

// Appends the AlphaNode for a texture of dataSize pixel bytes that will stand at offset alpha:
// the 24-byte header and dataSize opacity bytes of 255.
void AppendAlphaNode(std::vector<std::uint8_t>& out, std::int32_t dataSize, std::int32_t alpha,
                     std::int32_t globalOffset);

// Gives the texture node at offset node (c = 0) a child pointer and an AlphaNode behind its
// palette (a private copy of the palette first when it does not stand behind the pixel data),
// then writes the opacity for every pixel, or for the pixels whose palette entry matches a
// picked colour. A node whose c is not 0 is left unchanged (returns false). The palette bytes
// are never changed. Pointers are read, written and relocated through store.
bool MakeTextureTransparent(OptImage& image, std::int32_t node, const ColourChoice& colours, int opacity,
                            PointerStore& store);
bool MakeTextureTransparent(OptImage& image, std::int32_t node, const ColourChoice& colours, int opacity);

} // namespace lathwork
