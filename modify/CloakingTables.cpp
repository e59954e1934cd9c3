#include "modify/Cloaking.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <string>

namespace lathwork {

namespace {

using namespace layout;

constexpr std::int32_t kDistanceTablePtr = kSlot20; // BranchNode +20: stored pointer to n Singles

// A BranchNode's distance table: NodeCount (+8) Singles at FileOffsetOf(+20).
struct DistanceTable {
    std::int32_t offset = 0;
    std::int32_t count = 0; // 0 when the node has no entries
};

DistanceTable ReadDistanceTable(const OptImage& image, std::int32_t globalOffset, std::int32_t branch)
{
    const std::int32_t count = image.ReadLong(CheckedAdd(branch, kNodeCount));
    if (count <= 0) {
        return {};
    }
    const std::int32_t table = FileOffsetOf(image.ReadLong(CheckedAdd(branch, kDistanceTablePtr)), globalOffset);
    if (table < 0 || table + 4 * static_cast<std::int64_t>(count) > image.Size()) {
        throw OptError("The file is damaged: the distance table of the branch node at offset " +
                       std::to_string(branch) + " (" + std::to_string(count) + " entries at offset " +
                       std::to_string(table) + ") lies outside the file (" + std::to_string(image.Size()) +
                       " bytes).");
    }
    return {table, count};
}

} // namespace

CloakingScan ScanCloakingDistances(const OptImage& image)
{
    const std::int32_t globalOffset = ReadPointerBase(image);
    CloakingScan scan;
    const auto atBranch = [&](std::int32_t branch) {
        // Every table is checked, also after the boxes are filled: BEGIN writes them all.
        const DistanceTable table = ReadDistanceTable(image, globalOffset, branch);
        if (scan.cloakFound || table.count == 0) {
            return;
        }
        if (auto text = DistanceText(image.ReadSingle(table.offset))) {
            scan.high = std::move(text);
        }
        if (table.count >= 2) {
            scan.cloakFound = true;
            scan.low = DistanceText(image.ReadSingle(table.offset + 4));
        }
    };
    NodeWalk(image, globalOffset, {.onBranch = atBranch, .onLeaf = {}});
    return scan;
}

void WriteCloakingDistances(OptImage& image, float high, std::optional<float> low)
{
    const std::int32_t globalOffset = ReadPointerBase(image);
    // Nodes sharing one long table would be rewritten once per visit: bound the work.
    WalkBudget budget(image);
    const auto atBranch = [&](std::int32_t branch) {
        const DistanceTable table = ReadDistanceTable(image, globalOffset, branch);
        if (table.count >= 2 && !low) {
            throw OptError("The file holds a second cloaking distance that the last scan did not find; "
                           "scan it again before writing.");
        }
        budget.Spend(table.count);
        // Entry 1 gets the high value; entry 2 and every later one the low value.
        for (std::int32_t k = 0; k < table.count; ++k) {
            image.WriteSingle(table.offset + 4LL * k, k == 0 ? high : *low);
        }
    };
    NodeWalk(image, globalOffset, {.onBranch = atBranch, .onLeaf = {}});
}

} // namespace lathwork
