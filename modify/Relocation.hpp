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

// Throws OptError unless size > 0 and point lies in [0, length]: the check every insertion
// makes before anything moves.
void CheckInsertion(const Insertion& insertion, std::int32_t length);

// Where a stored pointer's target stands in a file of length bytes: before it (0 among them
// when GlobalOffset > 0), on one of its bytes or its end, or past its end.
enum class TargetPlace { BeforeFile, InFile, PastEnd };
TargetPlace PlaceOfTarget(std::int32_t ptrValue, std::int32_t globalOffset, std::int32_t length);

// The one test of whether a stored pointer moves: the value a slot holding ptrValue gets for
// an insertion into a file of length bytes, or nullopt when it keeps its value. A target
// before the file or past its end is left alone; a target equal to the length is accepted; a
// target at or after the insertion point moves. Throws OptError when the moved value leaves
// 32 bits.
std::optional<std::int32_t> RelocatedValue(std::int32_t ptrValue, std::int32_t globalOffset, std::int32_t length,
                                           const Insertion& insertion);

// The nodes whose pointer slots relocation moves, as the walk meets them.
enum class SlotOwner {
    Header,
    TopNode,
    OtherTopChild,    // a top node's child whose NodeType is not 0
    Group,
    Branch,
    BranchParts,      // a branch's table of part nodes
    Part,
    TextureRef,
    Leaf1,            // a part's leaf of NodeType 1
    TextureSet,       // a set whose members the walk visits
    Texture,          // c = 0, and the single member of a one-member set unless its c is 1
    TextureWithChild, // c = 1
    OtherTexture,     // any other c
    Alpha,            // the child of a texture with c = 1
};

// A slot by its role in the node: a fixed field, or "each slot the walk follows out of this
// node" (the entries of a child table that the walk takes, or the slot a group's selector picks).
enum class SlotField { HeaderPointer, Head, ChildTable, Data, Palette, Child, Followed };

// Whether the walk goes on through the slot to the node it designates, or only relocates it.
enum class SlotUse { Follows, Holds };

struct RelocatedSlot {
    SlotOwner owner;
    SlotField field;
    SlotUse use;
};

// Every pointer slot an insertion relocates. Top and part children of 0 are empty slots: the
// walk neither takes nor relocates them; the other followed slots must not hold 0.
inline constexpr RelocatedSlot kRelocatedSlots[] = {
    {SlotOwner::Header, SlotField::HeaderPointer, SlotUse::Holds},      // offset 18
    {SlotOwner::Header, SlotField::Followed, SlotUse::Follows},         // the top-node table
    {SlotOwner::TopNode, SlotField::ChildTable, SlotUse::Holds},        // +12
    {SlotOwner::TopNode, SlotField::Followed, SlotUse::Follows},        // children at +24, not 0
    {SlotOwner::OtherTopChild, SlotField::Data, SlotUse::Holds},        // +20
    {SlotOwner::Group, SlotField::ChildTable, SlotUse::Holds},          // +12
    {SlotOwner::Group, SlotField::Followed, SlotUse::Follows},          // +24/+32/+36, else +20
    {SlotOwner::Branch, SlotField::Data, SlotUse::Holds},               // +20: the distance table
    {SlotOwner::Branch, SlotField::ChildTable, SlotUse::Follows},       // +12: its part table
    {SlotOwner::BranchParts, SlotField::Followed, SlotUse::Follows},    // every entry
    {SlotOwner::Part, SlotField::ChildTable, SlotUse::Holds},           // +12 (not +20)
    {SlotOwner::Part, SlotField::Followed, SlotUse::Follows},           // children at +24, not 0
    {SlotOwner::TextureRef, SlotField::Data, SlotUse::Holds},           // +20
    {SlotOwner::Leaf1, SlotField::Data, SlotUse::Holds},                // +20
    {SlotOwner::TextureSet, SlotField::ChildTable, SlotUse::Holds},     // +12
    {SlotOwner::TextureSet, SlotField::Followed, SlotUse::Follows},     // members at +24, all
    {SlotOwner::Texture, SlotField::Head, SlotUse::Holds},              // +0
    {SlotOwner::Texture, SlotField::Data, SlotUse::Holds},              // +20
    {SlotOwner::Texture, SlotField::Palette, SlotUse::Holds},           // +33
    {SlotOwner::TextureWithChild, SlotField::Head, SlotUse::Holds},     // +0
    {SlotOwner::TextureWithChild, SlotField::ChildTable, SlotUse::Holds}, // +12
    {SlotOwner::TextureWithChild, SlotField::Data, SlotUse::Holds},     // +20
    {SlotOwner::TextureWithChild, SlotField::Palette, SlotUse::Holds},  // +37
    {SlotOwner::TextureWithChild, SlotField::Child, SlotUse::Follows},  // +33
    {SlotOwner::OtherTexture, SlotField::Head, SlotUse::Holds},         // +0
    {SlotOwner::Alpha, SlotField::Data, SlotUse::Holds},                // +20
};

// What the relocation walk met on its way besides the slots: the byte ranges of every structure
// it or the rewrites read, and the textures the rewrites' search considers. Ranges are
// [start, end) as read; a damaged texture may give one outside the file or reversed.
struct WalkSurvey {
    enum class Kind { Header, Node, Table, Texture, Palette, Alpha };
    struct Extent {
        std::int64_t start = 0;
        std::int64_t end = 0;
        Kind kind = Kind::Node;
    };
    std::vector<Extent> extents;
    std::vector<std::int32_t> textures; // in walk order, one per path
};

// The file offsets of every pointer slot in kRelocatedSlots, each once, ascending, found by
// NodeWalk on the file as it stands. A texture at unfollowedChildOf has its child slot listed
// but not followed: while the transparency rewrite works on it, that slot holds a copy of its
// palette pointer. Throws OptError for a damaged file (a null or outside pointer the walk must
// follow, a table past the end, nodes that refer to each other in a loop). When survey is
// given, it is filled on the way.
std::vector<std::int32_t> CollectPointerSlots(OptView bytes, std::int32_t globalOffset,
                                              std::optional<std::int32_t> unfollowedChildOf = {},
                                              WalkSurvey* survey = nullptr);

// The reference steps of one insertion, each on the file as it stands:

// Relocates the given slots. Every value is read before any is written, so each new value
// comes from the slot's value before the insertion.
void RelocateSlots(OptImage& image, std::span<const std::int32_t> slots, std::int32_t globalOffset,
                   const Insertion& insertion);

// Collects and relocates: what every insertion does before its bytes move in.
void RelocationWalk(OptImage& image, std::int32_t globalOffset, const Insertion& insertion,
                    std::optional<std::int32_t> unfollowedChildOf = {});

// Moves the tail from insertionPoint on and puts bytes in front of it.
void InsertBytes(OptImage& image, std::int32_t insertionPoint, std::span<const std::uint8_t> bytes);

} // namespace lathwork
