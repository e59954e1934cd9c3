#pragma once

#include "imaging/TextureImage.hpp"
#include "opt/Scans.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace lathwork {

// What a click on a texture list shows: the last texture node in walk order (VisitTextures)
// whose 8 name bytes equal name and whose child count is 0 or 1, with its bitmap bytes.
struct PreviewPicture {
    TextureImage texture;
    std::vector<std::uint8_t> bitmap; // WriteTextureBitmap(texture)
    // What the other light levels and a result view need: the whole palette block (empty when
    // it does not lie wholly in the file) and the opacity bytes of its AlphaNode, if it has
    // one that can be read. Damage here leaves the picture itself as it is.
    std::vector<std::uint8_t> palette;
    std::optional<std::vector<std::uint8_t>> storedOpacity;
};

// name is the list item: all 8 stored bytes, padding included. The picture is built in memory
// only; nothing is written to disk. nullopt when no readable node carries the name. Throws
// OptError for damaged data (in any node of that name, not only the one shown).
std::optional<PreviewPicture> PreviewTexture(OptView bytes, const TextureName& name);

} // namespace lathwork
