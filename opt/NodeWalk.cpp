#include "opt/NodeWalk.hpp"

#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

using namespace layout;

WalkBudget::WalkBudget(const OptImage& image) : left_(2 * static_cast<std::int64_t>(image.Size()) + 65536) {}

void WalkBudget::Spend(std::int64_t n)
{
    left_ -= n;
    if (left_ < 0) {
        throw OptError("The file is damaged: its nodes refer to each other in a loop "
                       "(the walk visited far more nodes than the file can hold).");
    }
}

std::int32_t CheckedCount(const OptImage& image, std::int64_t countOffset, std::int64_t tableOffset)
{
    const std::int32_t count = image.ReadLong(countOffset);
    if (count <= 0) {
        return count;
    }
    if (tableOffset < 0 || tableOffset + 4 * static_cast<std::int64_t>(count) > image.Size()) {
        throw OptError("The file is damaged: a table of " + std::to_string(count) +
                       " entries at offset " + std::to_string(tableOffset) +
                       " runs past the end of the file (" + std::to_string(image.Size()) + " bytes).");
    }
    return count;
}

namespace {

// Level F: the children of one part node.
void WalkPart(const OptImage& image, std::int32_t g, std::int32_t e, const WalkHandlers& h, WalkBudget& budget)
{
    const std::int32_t table = CheckedAdd(e, kInlineChildren);
    const std::int32_t n = CheckedCount(image, CheckedAdd(e, kNodeCount), table);
    for (std::int32_t m = 0; m < n; ++m) {
        budget.Spend();
        const std::int32_t f = image.ReadLong(table + 4LL * m);
        if (f == 0) {
            continue;
        }
        const std::int32_t leaf = FileOffsetOf(f, g);
        const std::int32_t type = image.ReadLong(CheckedAdd(leaf, kNodeType));
        if (type == kTypeTexture || type == kTypeTextureSet) {
            if (type == kTypeTextureSet) {
                // Set handlers may visit every member: charge for them here. A count whose table
                // cannot fit the file is refused by whoever reads the members.
                const std::int64_t members = image.ReadLong(CheckedAdd(leaf, kNodeCount));
                budget.Spend(std::clamp<std::int64_t>(members, 0, image.Size() / 4));
            }
            h.onLeaf(leaf, type);
        }
    }
}

// Levels D and E: a branch node and its part nodes.
void WalkBranch(const OptImage& image, std::int32_t g, std::int32_t d, const WalkHandlers& h, WalkBudget& budget)
{
    budget.Spend();
    if (h.onBranch) {
        h.onBranch(d);
    }
    if (!h.onLeaf) {
        return;
    }
    const std::int32_t table = FileOffsetOf(image.ReadLong(CheckedAdd(d, kChildTablePtr)), g);
    const std::int32_t n = CheckedCount(image, CheckedAdd(d, kNodeCount), table);
    for (std::int32_t k = 0; k < n; ++k) {
        budget.Spend();
        const std::int32_t e = image.ReadLong(table + 4LL * k);
        WalkPart(image, g, FileOffsetOf(e, g), h, budget);
    }
}

} // namespace

std::int32_t GroupBranchSlot(std::int32_t selector)
{
    switch (selector) {
    case 1: return 24;
    case 3: return 32;
    case 4: return 36;
    default: return kSlot20;
    }
}

void NodeWalk(const OptImage& image, std::int32_t g, const WalkHandlers& h)
{
    WalkBudget budget(image);
    // Level A: the top-node table.
    const std::int32_t tops = CheckedCount(image, kTopNodeCount, kTopNodeTable);
    for (std::int32_t i = 0; i < tops; ++i) {
        budget.Spend();
        const std::int32_t top = FileOffsetOf(image.ReadLong(kTopNodeTable + 4LL * i), g);
        // Level B: the top node's inline children.
        const std::int32_t table = CheckedAdd(top, kInlineChildren);
        const std::int32_t n = CheckedCount(image, CheckedAdd(top, kNodeCount), table);
        for (std::int32_t j = 0; j < n; ++j) {
            budget.Spend();
            const std::int32_t c = image.ReadLong(table + 4LL * j);
            if (c == 0) {
                continue;
            }
            // Level C: only group nodes (type 0) lead on.
            const std::int32_t group = FileOffsetOf(c, g);
            if (image.ReadLong(CheckedAdd(group, kNodeType)) != kTypeGroup) {
                continue;
            }
            const std::int32_t selector = image.ReadLong(CheckedAdd(group, kNodeCount));
            const std::int32_t d = image.ReadLong(CheckedAdd(group, GroupBranchSlot(selector)));
            WalkBranch(image, g, FileOffsetOf(d, g), h, budget);
        }
    }
}

} // namespace lathwork
