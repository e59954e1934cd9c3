#pragma once

#include "modify/PointerStore.hpp"
#include "modify/ShiftMap.hpp"

#include <cstdint>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace lathwork {

// The pointers of a whole rewrite kept in an index made by one relocation walk, instead of a
// walk per insertion. Each slot remembers which byte it designates: a byte moves with every
// insertion in front of it, which is what relocation does to a pointer designating it, so one
// look-up in the shift map gives any pointer's value at any time. The image keeps the loaded
// values until Finish writes them all.
//
// Valid only while the tree keeps its shape apart from what the rewrite tells the store: its
// caller checks that first (see PlanIndexedRewrite).
class IndexedStore final : public PointerStore {
public:
    IndexedStore(OptImage& image, std::int32_t globalOffset, std::span<const std::int32_t> slots);

    std::int32_t Read(std::int32_t slot) override;
    void Write(std::int32_t slot, std::int32_t value) override;
    void Insert(const Insertion& insertion, std::span<const std::uint8_t> bytes,
                std::optional<std::int32_t> unfollowedChildOf = {}) override;

    // Where the byte that stood at offset loaded when the image was loaded stands now.
    std::int32_t OffsetOf(std::int32_t loaded) const;

    // Writes every slot's present value into the image. Throws OptError when a value no longer
    // fits 32 bits, as relocating it would have.
    void Finish();

private:
    enum class Kind : std::uint8_t {
        Fixed,   // designates no byte and never will (before the file): relocation leaves it
        Tracked, // designates the byte at target (or the end of the file)
        Beyond,  // designates a byte past the end: left alone until the file grows that far
    };
    struct Entry {
        Location slot;
        Location target;
        std::int32_t value = 0; // Fixed and Beyond
        Kind kind = Kind::Fixed;
    };

    void SetValue(std::size_t entry, std::int32_t value);
    std::int32_t ValueOf(const Entry& entry) const;
    Entry& Find(std::int32_t slot);

    OptImage& image_;
    std::int32_t g_;
    ShiftMap shifts_;
    std::vector<Entry> entries_;
    std::unordered_map<std::uint64_t, std::size_t> bySlot_;
    // Beyond entries by target offset, the nearest last; stale pairs are skipped.
    std::vector<std::pair<std::int64_t, std::size_t>> beyond_;
};

} // namespace lathwork
