#pragma once

#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <cstdint>
#include <functional>

namespace lathwork {

// Walks the image and calls visit(node) for every texture node the rewrites' search considers,
// in walk order, without stopping early: leaves of type 20, the single member of a one-member
// set (its type not tested), and the type-20 members of larger sets whose SetMode is 0 or 1.
// Child pointers are read when the walk reaches them, so visit may insert bytes: what it moves
// is seen by the rest of the walk.
void ForEachCandidate(const OptImage& image, const std::function<void(std::int32_t)>& visit);

// Calls change(node) for every candidate whose 8 name bytes equal name, in walk order. Returns
// the number of nodes found.
int ForEachTextureNamed(OptImage& image, const TextureName& name, const std::function<void(std::int32_t)>& change);

} // namespace lathwork
