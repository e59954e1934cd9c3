#pragma once

// Lays out OPT files for tests, fuzz seeds, benchmarks and the sample model, so that a test
// reads like the case it checks: a model is described as a tree and built into bytes, and
// every node's offset is reported back.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace lathwork::testkit {

using Bytes = std::vector<std::uint8_t>;

struct TextureShape {
    std::string name;                    // up to 8 bytes, padded with zero bytes
    std::int32_t width = 4;
    std::int32_t height = 4;
    Bytes pixels;                        // DataSize bytes; empty means width*height bytes of 0..
    std::optional<std::int32_t> imageSize; // ImageSize; defaults to pixels.size()
    int sharedPalette = -1;              // index into ModelShape::palettes, -1: own palette
    Bytes ownPalette;                    // 8192 bytes behind the pixels; empty: made from the name
    std::int32_t childCount = 0;         // c; 1 adds an alpha node behind the palette
    std::uint8_t alphaFill = 255;        // opacity bytes of that alpha node
};

struct TextureRefShape {
    std::string name;
};

// A leaf of another type (1, or an unknown code), 24 bytes with a pointer at +20.
struct RawLeafShape {
    std::int32_t type = 1;
};

// A zero child pointer.
struct NullShape {};

using MemberShape = std::variant<TextureShape, TextureRefShape, RawLeafShape>;

struct SetShape {
    std::int32_t mode = 1;
    std::vector<MemberShape> members;
    std::optional<std::int32_t> count;   // NodeCount; defaults to members.size()
};

using LeafShape = std::variant<TextureShape, SetShape, RawLeafShape, NullShape>;

struct PartShape {
    std::vector<LeafShape> leaves;
};

struct BranchShape {
    std::vector<PartShape> parts;
    std::vector<float> distances;        // padded with 0 up to the part count; the count is
                                         // max(parts, distances)
};

struct GroupShape {
    std::int32_t selector = 2;
    BranchShape branch;
};

// A top-node child whose type is not 0: not descended, its +20 is a pointer.
struct OtherChildShape {
    std::int32_t type = 1;
};

using TopChildShape = std::variant<GroupShape, OtherChildShape, NullShape>;

struct TopShape {
    std::vector<TopChildShape> children;
};

struct ModelShape {
    std::int32_t globalOffset = 0x1000;  // PointerBase - 8
    std::vector<TopShape> tops;
    std::vector<Bytes> palettes;         // shared palettes, laid out after the nodes
};

struct BuiltModel {
    Bytes bytes;
    std::int32_t globalOffset = 0;
    // Node offsets in build order.
    std::vector<std::int32_t> textures;  // texture nodes (leaves and set members)
    std::multimap<std::string, std::int32_t> texturesByName; // name without padding
    std::vector<std::int32_t> sets;
    std::vector<std::int32_t> branches;
    std::vector<std::int32_t> parts;
    std::vector<std::int32_t> groups;
    std::vector<std::int32_t> tops;
    std::vector<std::int32_t> sharedPalettes;

    std::int32_t Texture(const std::string& name, std::size_t which = 0) const;
};

BuiltModel Build(const ModelShape& tree);

// Convenience: one top node, one group (selector 2), one branch, one part holding the leaves.
ModelShape SimpleModel(std::vector<LeafShape> leaves, std::int32_t globalOffset = 0x1000);

// A palette whose row r, entry i holds a value derived from seed, r and i; row 7 differs from
// the others so that illumination shows.
Bytes MakePalette(std::uint32_t seed);

// A palette whose row 7 holds the given entries (value v at entry i, the rest 0) and whose
// other rows are all 0x1111.
Bytes PaletteWithRow7(const std::map<int, std::uint16_t>& entries);

// A texture with pixels 0, 1, 2, ... (mod 256).
TextureShape MakeTexture(const std::string& name, std::int32_t width = 4, std::int32_t height = 4,
                        int sharedPalette = -1);

// The 8 stored bytes of a name, padded with zero bytes.
std::string Name8(const std::string& name);

// Little-endian access to built bytes.
std::int32_t GetLong(const Bytes& bytes, std::size_t offset);
void SetLong(Bytes& bytes, std::size_t offset, std::int32_t value);
float GetSingle(const Bytes& bytes, std::size_t offset);

// A large model for benchmarks: textureCount 96 x 96 textures in parts of 8, half owning their
// palette, the rest sharing one of 16, with a few texture sets. About 13.4 kB per texture, so
// 2,000 textures make about 27 MB.
ModelShape GenerateLargeModel(int textureCount, std::uint32_t seed = 1);

// A large model of random shape: several top nodes and groups (every selector), branches of
// 1 to 8 parts, parts of 1 to 12 leaves (textures of 64 to 128 pixels a side, sets of modes 0
// and 1, one-member sets, references, type-1 leaves, null slots), a few textures with a child,
// half the textures sharing one of 16 palettes. A third of the textures are named "Tex", so
// that name repeats hundreds of times; the others draw from textureCount / 4 names.
ModelShape GenerateRepeatedNamesModel(int textureCount, std::uint32_t seed);

} // namespace lathwork::testkit
