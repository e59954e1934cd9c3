#pragma once

#include "opt/OptImage.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace lathwork {

// What one walk at the start of a rewrite learns, for the whole run.
struct IndexPlan {
    std::int32_t globalOffset = 0;
    std::vector<std::int32_t> slots;      // every pointer slot the relocation walk knows
    std::vector<std::int32_t> candidates; // the search's textures in walk order, one per path
};

// Walks the image once and returns the plan when keeping it for a whole rewrite gives exactly
// the bytes of walking again for every name and every insertion, or nullopt when that cannot be
// guaranteed (the caller then walks every time). That holds when:
// - the search and the relocation walk run without error and meet the same textures;
// - every structure they or the rewrites read (header, nodes, tables, texture nodes with their
//   pixels, palettes, child nodes) lies inside the file and no two overlap, except that one
//   palette or node may be reached more than once: so no write of a rewrite touches a pointer,
//   a count or a name, and every insertion lands between structures;
// - every top node, branch child table, part node and set node lies before the textures it
//   encloses: the search keeps those offsets while it changes a texture, so no insertion may
//   move them.
std::optional<IndexPlan> PlanIndexedRewrite(const OptImage& image);

} // namespace lathwork
