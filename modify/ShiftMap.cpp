#include "modify/ShiftMap.hpp"

#include "opt/OptError.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

void ShiftMap::Add(std::int32_t anchor, std::int32_t size)
{
    const auto at = std::lower_bound(anchors_.begin(), anchors_.end(), anchor);
    const auto i = static_cast<std::size_t>(at - anchors_.begin());
    if (at != anchors_.end() && *at == anchor) {
        throw OptError("Two insertions landed in front of loaded byte " + std::to_string(anchor) +
                       "; the rewrite stopped before writing anything.");
    }
    anchors_.insert(at, anchor);
    sizes_.insert(sizes_.begin() + static_cast<std::ptrdiff_t>(i), size);
    through_.insert(through_.begin() + static_cast<std::ptrdiff_t>(i), Before(i) + size);
    for (std::size_t j = i + 1; j < through_.size(); ++j) {
        through_[j] += size;
    }
}

std::int64_t ShiftMap::OffsetOf(const Location& location) const
{
    const std::int32_t origin = location.origin;
    if (location.inBlock < 0) {
        // Every block in front of this byte or of an earlier one lies before it.
        const auto after = std::upper_bound(anchors_.begin(), anchors_.end(), origin);
        return origin + Before(static_cast<std::size_t>(after - anchors_.begin()));
    }
    const auto at = std::lower_bound(anchors_.begin(), anchors_.end(), origin);
    return origin + Before(static_cast<std::size_t>(at - anchors_.begin())) + location.inBlock;
}

Location ShiftMap::At(std::int64_t offset) const
{
    // Block i starts at anchors_[i] + Before(i), which grows with i: find the last block
    // starting at or before offset.
    std::size_t lo = 0;
    std::size_t hi = anchors_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (anchors_[mid] + Before(mid) <= offset) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == 0) {
        return {static_cast<std::int32_t>(offset), -1};
    }
    const std::size_t i = lo - 1;
    const std::int64_t start = anchors_[i] + Before(i);
    if (offset < start + sizes_[i]) {
        return {anchors_[i], static_cast<std::int32_t>(offset - start)};
    }
    return {static_cast<std::int32_t>(offset - through_[i]), -1};
}

} // namespace lathwork
