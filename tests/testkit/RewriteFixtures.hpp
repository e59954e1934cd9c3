#pragma once

// What a fresh walk of a model sees, to compare a file before and after a rewrite.

#include "opt/OptImage.hpp"
#include "testkit/OptBuilder.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace lathwork::testkit {

// One texture the rewrites' search would find, read through its stored pointers only.
struct TextureFacts {
    std::int32_t node = 0;
    std::string name;        // 8 bytes
    std::int32_t childCount = 0;
    std::int32_t dataSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    Bytes pixels;
    Bytes palette;           // the 8192 bytes PalettePtr designates
    std::int32_t paletteAt = 0;
    std::string headTarget;  // 8 bytes designated by node+0 (the builder points it at the name)
    std::string slot20Target; // 8 bytes designated by node+20 (likewise)
    Bytes opacities;         // c = 1: the bytes the child's +20 designates, +16 of them
    std::int32_t alphaAt = 0;

    Bytes Row(int r) const { return Bytes(palette.begin() + 512 * r, palette.begin() + 512 * (r + 1)); }
};

struct WalkFacts {
    std::vector<TextureFacts> textures;  // walk order
    std::vector<std::string> refNames;   // names designated by +20 of reference nodes, walk order
    std::vector<float> distances;        // every branch's distance table, walk order
};

// Walks the model (any c other than 0 or 1 is recorded with sizes 0). Throws OptError as the
// walk does.
WalkFacts ReadWalkFacts(const OptImage& image);
WalkFacts ReadWalkFacts(const Bytes& bytes);

// Compares everything but palettes and opacities; returns the first difference or "".
std::string CompareStructure(const WalkFacts& before, const WalkFacts& after);

// A model with every node kind the relocation walk knows.
ModelShape RichModel();

} // namespace lathwork::testkit
