#include "modify/IndexPlan.hpp"

#include "modify/Relocation.hpp"
#include "modify/TextureSearch.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <algorithm>
#include <tuple>

namespace lathwork {

namespace {

bool SameCandidates(const std::vector<std::int32_t>& searched, const WalkSurvey& survey)
{
    return std::equal(searched.begin(), searched.end(), survey.candidates.begin(), survey.candidates.end(),
                      [](std::int32_t node, const WalkSurvey::Candidate& c) { return node == c.node; });
}

bool EnclosingNodesComeFirst(const WalkSurvey& survey)
{
    return std::all_of(survey.candidates.begin(), survey.candidates.end(),
                       [](const WalkSurvey::Candidate& c) { return c.enclosingEnd <= c.node; });
}

// Every extent inside the file and none overlapping another; the same extent met twice is one.
bool DisjointInsideFile(std::vector<WalkSurvey::Extent> extents, std::int64_t length)
{
    auto key = [](const WalkSurvey::Extent& e) { return std::tuple(e.start, e.end, e.kind); };
    std::sort(extents.begin(), extents.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    extents.erase(std::unique(extents.begin(), extents.end(), [&](const auto& a, const auto& b) { return key(a) == key(b); }),
                  extents.end());
    std::int64_t reached = 0;
    for (const WalkSurvey::Extent& e : extents) {
        if (e.start < reached || e.end < e.start || e.end > length) {
            return false;
        }
        reached = e.end;
    }
    return true;
}

} // namespace

std::optional<IndexPlan> PlanIndexedRewrite(const OptImage& image)
{
    IndexPlan plan;
    WalkSurvey survey;
    try {
        plan.globalOffset = ReadPointerBase(image);
        ForEachCandidate(image, [&](std::int32_t node) { plan.candidates.push_back(node); });
        plan.slots = CollectPointerSlots(image, plan.globalOffset, {}, &survey);
    } catch (const OptError&) {
        return std::nullopt; // the walk that meets the damage reports it
    }
    if (!SameCandidates(plan.candidates, survey) || !EnclosingNodesComeFirst(survey) ||
        !DisjointInsideFile(std::move(survey.extents), image.Size())) {
        return std::nullopt;
    }
    return plan;
}

} // namespace lathwork
