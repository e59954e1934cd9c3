#pragma once

#include "opt/OptImage.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lathwork {

// One insertion: size bytes will stand from point on; the byte at point moves to point + size.
struct Insertion {
    std::int32_t point = 0;
    std::int32_t size = 0;
};

// The value a pointer slot holding ptrValue gets for an insertion into a file of length bytes,
// or nullopt when it keeps its value: a target before the file or past its end (0 included)
// is left alone, a target equal to the length is accepted, a target at or after the insertion
// point moves. Throws OptError when the moved value leaves 32 bits.
std::optional<std::int32_t> RelocatedValue(std::int32_t ptrValue, std::int32_t globalOffset, std::int32_t length,
                                           const Insertion& insertion);

// Applies RelocatedValue to the slot at slotOffset, which holds ptrValue, in an image that has
// not grown yet.
void RelocatePointer(OptImage& image, std::int32_t globalOffset, std::int32_t slotOffset, std::int32_t ptrValue,
                     const Insertion& insertion);

// What the relocation walk met on its way besides the slots: the byte ranges of every structure
// it or the rewrites read, and the textures the rewrites' search considers. The indexed rewrite
// checks these before it trusts one walk for a whole run. Ranges are [start, end) as read; a
// damaged texture may give one outside the file or reversed.
struct WalkSurvey {
    enum class Kind { Header, Node, Table, Texture, Palette, Alpha };
    struct Extent {
        std::int64_t start = 0;
        std::int64_t end = 0;
        Kind kind = Kind::Node;
    };
    struct Candidate {
        std::int32_t node = 0;
        // The end of the furthest top node, branch child table, part node or set node that
        // encloses the texture on this path: a search still reads them after the texture changed.
        std::int64_t enclosingEnd = 0;
    };
    std::vector<Extent> extents;
    std::vector<Candidate> candidates; // in walk order, one per path
};

// The file offsets of every pointer slot the relocation walk knows, each once, ascending. The
// tree is followed with the values as they stand. A texture at unfollowedChildOf has its child
// slot listed but not followed: while the transparency rewrite works on it, that slot holds a
// copy of its palette pointer. Throws OptError for a damaged file (a null or outside pointer
// the walk must follow, a table past the end, nodes that refer to each other in a loop). When
// survey is given, it is filled on the way.
std::vector<std::int32_t> CollectPointerSlots(const OptImage& image, std::int32_t globalOffset,
                                              std::optional<std::int32_t> unfollowedChildOf = {},
                                              WalkSurvey* survey = nullptr);

// Relocates the given slots for one insertion. Every value is read before any is written, so
// each new value comes from the slot's value before the insertion.
void RelocateSlots(OptImage& image, std::span<const std::int32_t> slots, std::int32_t globalOffset,
                   const Insertion& insertion);

// Collects and relocates in one step: what every insertion does before its bytes move in.
void RelocationWalk(OptImage& image, std::int32_t globalOffset, const Insertion& insertion,
                    std::optional<std::int32_t> unfollowedChildOf = {});

// Moves the tail from insertionPoint on and puts bytes in front of it.
void InsertBytes(OptImage& image, std::int32_t insertionPoint, std::span<const std::uint8_t> bytes);

// The file offset of the node a followed pointer designates. A null pointer designates no node
// here (the walks test for 0 only where the format says a slot may be empty), so it is an error.
std::int32_t NodeAt(std::int32_t pointer, std::int32_t globalOffset, std::int32_t slotOffset);

} // namespace lathwork
