#pragma once

// Random models and requests for comparing the one-pass rewrites with the walking ones.

#include "modify/Requests.hpp"
#include "testkit/OptBuilder.hpp"

#include <random>
#include <string>
#include <vector>

namespace lathwork::testkit {

// A change to a built model. All but the last keep every structure apart (a part node moved
// behind its textures included); pointers past the end are mostly reached by the grown file.
enum class Mutation {
    None,
    TextureReachedTwice,   // an earlier part's leaf slot redirected to a later part's texture
    OwnedPaletteShared,    // a texture pointed at the palette another texture owns
    PointersPastTheEnd,    // unfollowed pointers designating bytes past the end of the file
    StrayPointers,         // unfollowed pointers designating arbitrary bytes, or none
    PartAfterItsTextures,  // a part node copied to the end of the file and used from there
    PaletteInsidePixels,   // a palette pointer designating another texture's pixel data
    // Not among kAllMutations: every unfollowed pointer the check can reach set past the end
    // (mostly within 64 bytes), so that the growing file reaches them one by one.
    PointersTheGrowthReaches,
};

inline constexpr Mutation kAllMutations[] = {
    Mutation::None,          Mutation::TextureReachedTwice,  Mutation::OwnedPaletteShared, Mutation::PointersPastTheEnd,
    Mutation::StrayPointers, Mutation::PartAfterItsTextures, Mutation::PaletteInsidePixels,
};

std::string MutationName(Mutation mutation);

// True when the mutation leaves a model the one-pass rewrite accepts (given no odd shapes).
bool KeepsModelOnePass(Mutation mutation);

struct RandomModel {
    Bytes bytes;
    bool mutated = false; // the mutation found something to change
};

// A random tree: several top nodes, groups with every selector, other and null children,
// branches with and without parts, textures of random sizes with own, shared or no-longer-own
// palettes, c = 1 textures, sets of modes 0, 1 and 2 with textures, references and one-member
// sets, type-1 leaves, names drawn from a small pool so that they repeat, random global offset.
// With oddShapes, also textures with c = 2, sets whose count differs from their members and
// one-member sets holding a reference: shapes the check may refuse.
RandomModel MakeRandomModel(std::mt19937& rng, Mutation mutation, bool oddShapes);

// Names for requests: the pool the models use, padded to 8 bytes, plus one no model carries.
std::vector<TextureName> NamePool();

// A random colour choice; picked colours come from the palettes in bytes when it can read them.
ColourChoice RandomColours(std::mt19937& rng, const Bytes& bytes);

// 0 to 6 names from the pool in random order, with repeats.
std::vector<TextureName> RandomNames(std::mt19937& rng);

} // namespace lathwork::testkit
