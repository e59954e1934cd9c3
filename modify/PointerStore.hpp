#pragma once

#include "modify/Relocation.hpp"
#include "opt/OptImage.hpp"

#include <cstdint>
#include <optional>
#include <span>

namespace lathwork {

// Where a rewrite reads and writes the stored pointers of the texture it changes, and how it
// makes room for new bytes. Offsets are those of the image as it stands.
class PointerStore {
public:
    virtual ~PointerStore() = default;

    // The value of the pointer slot at offset slot.
    virtual std::int32_t Read(std::int32_t slot) = 0;
    // Sets the slot; a slot written here is one the relocation walk reaches from now on.
    virtual void Write(std::int32_t slot, std::int32_t value) = 0;
    // Relocates every pointer the walk knows for the insertion, then inserts bytes (as many as
    // insertion.size) at insertion.point. The texture at unfollowedChildOf is half made: its
    // child slot is relocated but not followed.
    virtual void Insert(const Insertion& insertion, std::span<const std::uint8_t> bytes,
                        std::optional<std::int32_t> unfollowedChildOf = {}) = 0;
};

// The pointers live in the image and every insertion walks the whole tree: the plain
// algorithm, one walk per insertion.
class WalkingStore final : public PointerStore {
public:
    explicit WalkingStore(OptImage& image) : image_(image) {}

    std::int32_t Read(std::int32_t slot) override;
    void Write(std::int32_t slot, std::int32_t value) override;
    void Insert(const Insertion& insertion, std::span<const std::uint8_t> bytes,
                std::optional<std::int32_t> unfollowedChildOf = {}) override;

private:
    OptImage& image_;
};

} // namespace lathwork
