#include "modify/PointerStore.hpp"

#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

namespace lathwork {

std::int32_t WalkingStore::Read(std::int32_t slot)
{
    return image_.ReadLong(slot);
}

void WalkingStore::Write(std::int32_t slot, std::int32_t value)
{
    image_.WriteLong(slot, value);
}

void WalkingStore::Insert(const Insertion& insertion, std::span<const std::uint8_t> bytes,
                          std::optional<std::int32_t> unfollowedChildOf)
{
    if (bytes.size() != static_cast<std::size_t>(insertion.size)) {
        throw OptError("An insertion of " + std::to_string(insertion.size) + " byte(s) was given " +
                       std::to_string(bytes.size()) + ".");
    }
    RelocationWalk(image_, ReadPointerBase(image_), insertion, unfollowedChildOf);
    InsertBytes(image_, insertion.point, bytes);
}

} // namespace lathwork
