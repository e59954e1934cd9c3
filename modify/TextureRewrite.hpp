#pragma once

#include "modify/PointerStore.hpp"
#include "modify/Requests.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptImage.hpp"

#include <cstdint>
#include <functional>
#include <vector>

namespace lathwork {

// Changes one texture node through the store; returns whether it was changed.
using TextureChange = std::function<bool(std::int32_t node, PointerStore& store)>;

// The most bytes a change can insert for the node, as the file stands before any change.
using TextureGrowth = std::function<std::int64_t(std::int32_t node)>;

// The frame of the illumination and transparency rewrites: for each name in order, every node
// the search finds with that name, in walk order. Walking searches the tree again for every name
// and walks it for every insertion. Indexed walks once and keeps the textures and pointers in an
// index, when PlanIndexedRewrite allows; otherwise it walks like Walking. Both give the same
// bytes and the same report (apart from report.indexed). growth lets the indexed run set aside
// room for the whole result at once.
RewriteReport RunTextureRewrite(OptImage& image, const std::vector<TextureName>& names, RewriteEngine engine,
                                const TextureChange& change, const TextureGrowth& growth);

} // namespace lathwork
