#pragma once

#include <cstdint>
#include <vector>

namespace lathwork {

// A byte of the image named independently of later insertions: byte `origin` of the file as it
// was loaded (inBlock < 0; origin may equal the loaded length, the end of the file), or byte
// inBlock of the block inserted directly in front of that byte.
struct Location {
    std::int32_t origin = 0;
    std::int32_t inBlock = -1;

    bool operator==(const Location&) const = default;
};

// The insertions made into an image since it was loaded, each as a block in front of one byte
// of the loaded file (its anchor). Tells where any location stands now and which location
// stands at an offset, each in O(log insertions); adding an insertion costs O(1) when they
// come in file order. Supports one block per anchor, which is all the rewrites make when their
// structures do not overlap.
class ShiftMap {
public:
    // A block of size bytes now stands in front of the loaded byte anchor. Throws OptError when
    // a block already stands there.
    void Add(std::int32_t anchor, std::int32_t size);

    // The offset at which the location stands now (64-bit: it may leave the format's range).
    std::int64_t OffsetOf(const Location& location) const;

    // The location standing at offset now; offsets at or past the end map to loaded bytes past
    // the end.
    Location At(std::int64_t offset) const;

    bool Empty() const { return anchors_.empty(); }

private:
    // Bytes inserted in front of anchors_[0 .. i - 1].
    std::int64_t Before(std::size_t i) const { return i == 0 ? 0 : through_[i - 1]; }

    std::vector<std::int32_t> anchors_; // ascending
    std::vector<std::int32_t> sizes_;
    std::vector<std::int64_t> through_; // through_[i]: bytes inserted in front of anchors_[0 .. i]
};

} // namespace lathwork
