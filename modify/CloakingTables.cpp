#include "modify/Cloaking.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <string>
#include <vector>

namespace lathwork {

namespace {

using namespace layout;

// A BranchNode's distance table: NodeCount (+8) Singles at FileOffsetOf(+20).
struct DistanceTable {
    std::int32_t offset = 0;
    std::int32_t count = 0; // 0 when the node has no entries
};

DistanceTable ReadDistanceTable(OptView bytes, std::int32_t globalOffset, std::int32_t branch)
{
    const std::int32_t count = bytes.ReadLong(CheckedAdd(branch, kNodeCount));
    if (count <= 0) {
        return {};
    }
    const std::int32_t table = FileOffsetOf(bytes.ReadLong(CheckedAdd(branch, kDistanceTablePtr)), globalOffset);
    if (table < 0 || table + 4 * static_cast<std::int64_t>(count) > bytes.Size()) {
        throw OptError("The file is damaged: the distance table of the branch node at offset " +
                       std::to_string(branch) + " (" + std::to_string(count) + " entries at offset " +
                       std::to_string(table) + ") lies outside the file (" + std::to_string(bytes.Size()) +
                       " bytes).");
    }
    return {table, count};
}

// The distance table of every BranchNode, in walk order (a node reached twice, twice). Every
// table is checked, also after the boxes are filled: BEGIN writes them all.
std::vector<DistanceTable> DistanceTables(OptView bytes, std::int32_t globalOffset)
{
    struct Branches : WalkVisitor {
        OptView bytes;
        std::int32_t g;
        std::vector<DistanceTable> tables;
        Branches(OptView b, std::int32_t globalOffset) : WalkVisitor(WalkDepth::Branches), bytes(b), g(globalOffset) {}
        void Branch(std::int32_t branch) override { tables.push_back(ReadDistanceTable(bytes, g, branch)); }
    } branches(bytes, globalOffset);
    NodeWalk(bytes, globalOffset, branches);
    return std::move(branches.tables);
}

} // namespace

CloakingScan ScanCloakingDistances(const OptImage& image)
{
    CloakingScan scan;
    for (const DistanceTable& table : DistanceTables(image, ReadPointerBase(image))) {
        if (scan.cloakFound || table.count == 0) {
            continue;
        }
        if (auto text = DistanceText(image.ReadSingle(table.offset))) {
            scan.high = std::move(text);
        }
        if (table.count >= 2) {
            scan.cloakFound = true;
            scan.low = DistanceText(image.ReadSingle(table.offset + 4));
        }
    }
    return scan;
}

RewriteReport WriteCloakingDistances(OptImage& image, float high, std::optional<float> low)
{
    const auto tables = DistanceTables(image, ReadPointerBase(image));
    // Nodes sharing one long table would be rewritten once per visit: bound the work.
    WalkBudget budget(image);
    RewriteReport report;
    for (const DistanceTable& table : tables) {
        if (table.count >= 2 && !low) {
            throw OptError("The file holds a second cloaking distance that the last scan did not find; "
                           "scan it again before writing.");
        }
        budget.Spend(table.count);
    }
    for (const DistanceTable& table : tables) {
        // Entry 1 gets the high value; entry 2 and every later one the low value.
        for (std::int32_t k = 0; k < table.count; ++k) {
            image.WriteSingle(table.offset + 4LL * k, k == 0 ? high : *low);
        }
        report.distanceTablesWritten += table.count > 0 ? 1 : 0;
    }
    return report;
}

} // namespace lathwork
