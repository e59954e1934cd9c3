#include "imaging/TextureSummary.hpp"

#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

using namespace layout;

namespace {

// The file offset of the texture's AlphaNode, or nullopt when its child is something else.
std::optional<std::int32_t> AlphaNodeOf(OptView bytes, std::int32_t g, const TextureNode& node)
{
    if (node.ChildCount() != 1) {
        return std::nullopt;
    }
    const std::int32_t child = FileOffsetOf(bytes.ReadLong(node.ChildSlot()), g);
    bytes.Check(child, kAlphaHeaderBytes, "texture child node");
    if (bytes.ReadLong(CheckedAdd(child, kNodeType)) != kTypeAlpha) {
        return std::nullopt;
    }
    return child;
}

std::int32_t PaletteOf(OptView bytes, std::int32_t g, const TextureNode& node)
{
    return FileOffsetOf(bytes.ReadLong(node.PaletteSlot()), g);
}

} // namespace

std::optional<TextureSummary> ReadTextureSummary(OptView bytes, std::int32_t g, std::int32_t offset,
                                                 SummaryDetail detail)
{
    const TextureNode node = TextureNode::At(bytes, offset);
    if (!node.HasKnownLayout()) {
        return std::nullopt;
    }
    TextureSummary facts;
    facts.node = offset;
    facts.childCount = node.ChildCount();
    facts.width = bytes.ReadLong(node.WidthField());
    facts.height = bytes.ReadLong(node.HeightField());

    const std::int32_t palette = PaletteOf(bytes, g, node);
    facts.ownPalette = palette == node.DataEnd(bytes);
    const auto block = bytes.View(palette, kPaletteBlockBytes);
    const auto shown = block.subspan(kPaletteShownRow, kPaletteRowBytes);
    for (int entry = 0; entry < kPaletteEntries && detail == SummaryDetail::Full; ++entry) {
        bool same = true;
        for (int row = 0; row < kPaletteRows && same; ++row) {
            const auto colour = block.subspan(row * kPaletteRowBytes + 2 * entry, 2);
            same = std::equal(colour.begin(), colour.end(), shown.begin() + 2 * entry);
        }
        facts.selfLit[entry] = same;
    }
    facts.hasAlphaNode = AlphaNodeOf(bytes, g, node).has_value();
    return facts;
}

std::vector<std::uint8_t> ReadPaletteBlock(OptView bytes, std::int32_t g, std::int32_t offset)
{
    const TextureNode node = TextureNode::At(bytes, offset);
    if (!node.HasKnownLayout()) {
        throw OptError("The texture at offset " + std::to_string(offset) + " has no palette slot this tool reads.");
    }
    return bytes.ReadBytes(PaletteOf(bytes, g, node), kPaletteBlockBytes);
}

std::optional<std::vector<std::uint8_t>> ReadStoredOpacity(OptView bytes, std::int32_t g, std::int32_t offset)
{
    const TextureNode node = TextureNode::At(bytes, offset);
    const std::optional<std::int32_t> alpha = node.HasKnownLayout() ? AlphaNodeOf(bytes, g, node) : std::nullopt;
    if (!alpha) {
        return std::nullopt;
    }
    const std::int32_t count = bytes.ReadLong(CheckedAdd(*alpha, kAlphaByteCount));
    const std::int32_t data = FileOffsetOf(bytes.ReadLong(CheckedAdd(*alpha, kDataPtr)), g);
    if (count < 0) {
        throw OptError("The opacity node at offset " + std::to_string(*alpha) + " is damaged: its byte count is negative.");
    }
    return bytes.ReadBytes(data, count);
}

} // namespace lathwork
