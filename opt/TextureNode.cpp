#include "opt/TextureNode.hpp"

#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

#include <string>

namespace lathwork {

namespace {

// Offsets with no child pointer (c = 0).
constexpr std::int32_t kChildren = 33;
constexpr std::int32_t kPalettePtr = 33;
constexpr std::int32_t kImageSize = 41;
constexpr std::int32_t kDataSize = 45;
constexpr std::int32_t kImageWidth = 49;
constexpr std::int32_t kImageHeight = 53;
constexpr std::int32_t kPixelData = 57;

} // namespace

TextureNode TextureNode::At(OptView bytes, std::int32_t node)
{
    return {node, bytes.ReadLong(CheckedAdd(node, layout::kNodeCount))};
}

std::int32_t TextureNode::Field(std::int32_t withoutChildren) const
{
    return CheckedAdd(node_, withoutChildren + 4LL * childCount_);
}

std::int32_t TextureNode::NameField() const
{
    return CheckedAdd(node_, layout::kTextureName);
}

std::int32_t TextureNode::ChildSlot() const
{
    return CheckedAdd(node_, kChildren);
}

std::int32_t TextureNode::PaletteSlot() const
{
    return Field(kPalettePtr);
}

std::int32_t TextureNode::ImageSizeField() const
{
    return Field(kImageSize);
}

std::int32_t TextureNode::DataSizeField() const
{
    return Field(kDataSize);
}

std::int32_t TextureNode::WidthField() const
{
    return Field(kImageWidth);
}

std::int32_t TextureNode::HeightField() const
{
    return Field(kImageHeight);
}

std::int32_t TextureNode::Pixels() const
{
    return Field(kPixelData);
}

std::int32_t TextureNode::DataSize(OptView bytes) const
{
    const std::int32_t size = bytes.ReadLong(DataSizeField());
    if (size < 0 || static_cast<std::int64_t>(Pixels()) + size > bytes.Size()) {
        throw OptError("The file is damaged: the texture at offset " + std::to_string(node_) + " claims " +
                       std::to_string(size) + " bytes of pixel data, which do not fit the file.");
    }
    return size;
}

std::int32_t TextureNode::DataEnd(OptView bytes) const
{
    return Pixels() + DataSize(bytes);
}

} // namespace lathwork
