#pragma once

#include "opt/OptView.hpp"

#include <cstdint>

namespace lathwork {

// Where the fields of one texture node (NodeType 20) stand. Its NodeCount c is the number of
// child pointers stored inline from +33, and every field after them moves by 4 * c: this is
// the one place that knows it.
//
//   +24      TextureName (8 bytes)      +41+4c  ImageSize    +49+4c  ImageWidth
//   +33      child pointers (4 * c)     +45+4c  DataSize     +53+4c  ImageHeight
//   +33+4c   PalettePtr                 +57+4c  pixel data (DataSize bytes)
class TextureNode {
public:
    // The node at offset node, its c read at +8.
    static TextureNode At(OptView bytes, std::int32_t node);
    // The node as it is laid out with another child count (the transparency rewrite gives a
    // texture its first child).
    TextureNode WithChildCount(std::int32_t childCount) const { return {node_, childCount}; }

    std::int32_t Offset() const { return node_; }
    std::int32_t ChildCount() const { return childCount_; }
    // Only c = 0 and c = 1 are read and rewritten; other textures are passed over.
    bool HasKnownLayout() const { return childCount_ == 0 || childCount_ == 1; }

    std::int32_t NameField() const;
    std::int32_t ChildSlot() const;       // the first child pointer (c = 1)
    std::int32_t PaletteSlot() const;
    std::int32_t ImageSizeField() const;
    std::int32_t DataSizeField() const;
    std::int32_t WidthField() const;
    std::int32_t HeightField() const;
    std::int32_t Pixels() const;

    // DataSize, checked to be non-negative and to fit the file after the pixels' start.
    std::int32_t DataSize(OptView bytes) const;
    // Pixels() + DataSize: where the pixel data ends and a private palette belongs.
    std::int32_t DataEnd(OptView bytes) const;

private:
    TextureNode(std::int32_t node, std::int32_t childCount) : node_(node), childCount_(childCount) {}
    // The field that stands at withoutChildren when c = 0.
    std::int32_t Field(std::int32_t withoutChildren) const;

    std::int32_t node_ = 0;
    std::int32_t childCount_ = 0;
};

} // namespace lathwork
