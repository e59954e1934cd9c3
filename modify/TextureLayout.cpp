#include "modify/TextureLayout.hpp"

#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

#include <string>

namespace lathwork {

using namespace layout;

std::optional<TextureLayout> ReadTextureLayout(const OptImage& image, std::int32_t node)
{
    const std::int32_t c = image.ReadLong(CheckedAdd(node, kNodeCount));
    if (c != 0 && c != 1) {
        return std::nullopt;
    }
    TextureLayout t;
    t.node = node;
    t.childCount = c;
    t.dataSize = image.ReadLong(CheckedAdd(node, kDataSize + 4 * c));
    t.paletteSlot = CheckedAdd(node, kPalettePtr + 4 * c);
    t.pixels = CheckedAdd(node, kPixels + 4 * c);
    if (t.dataSize < 0 || static_cast<std::int64_t>(t.pixels) + t.dataSize > image.Size()) {
        throw OptError("The file is damaged: the texture at offset " + std::to_string(node) + " claims " +
                       std::to_string(t.dataSize) + " bytes of pixel data, which do not fit the file.");
    }
    t.end = t.pixels + t.dataSize;
    return t;
}

} // namespace lathwork
