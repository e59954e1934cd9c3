#include "modify/IndexedStore.hpp"

#include "opt/OptError.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

namespace {

std::uint64_t Key(const Location& location)
{
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(location.origin)) << 32 |
           static_cast<std::uint32_t>(location.inBlock);
}

OptError LostTrack(std::int32_t offset)
{
    return OptError("The rewrite lost track of the pointer at offset " + std::to_string(offset) +
                    "; it stopped before writing anything.");
}

} // namespace

IndexedStore::IndexedStore(OptImage& image, std::int32_t globalOffset, std::span<const std::int32_t> slots)
    : image_(image), g_(globalOffset)
{
    entries_.reserve(slots.size());
    bySlot_.reserve(slots.size());
    for (const std::int32_t slot : slots) {
        const Location at{slot, -1};
        bySlot_.emplace(Key(at), entries_.size());
        entries_.push_back({at, {}, 0, Kind::Fixed});
        SetValue(entries_.size() - 1, image_.ReadLong(slot));
    }
}

void IndexedStore::SetValue(std::size_t index, std::int32_t value)
{
    Entry& entry = entries_[index];
    const std::int64_t target = static_cast<std::int64_t>(value) - g_;
    entry.value = value;
    if (target < 0) {
        entry.kind = Kind::Fixed;
    } else if (target <= image_.Size()) {
        entry.kind = Kind::Tracked;
        entry.target = shifts_.At(target);
    } else {
        entry.kind = Kind::Beyond;
        const std::pair<std::int64_t, std::size_t> item{target, index};
        beyond_.insert(std::upper_bound(beyond_.begin(), beyond_.end(), item, std::greater<>()), item);
    }
}

std::int32_t IndexedStore::ValueOf(const Entry& entry) const
{
    if (entry.kind != Kind::Tracked) {
        return entry.value;
    }
    return CheckedAdd(g_, shifts_.OffsetOf(entry.target));
}

IndexedStore::Entry& IndexedStore::Find(std::int32_t slot)
{
    const auto found = bySlot_.find(Key(shifts_.At(slot)));
    if (found == bySlot_.end()) {
        throw LostTrack(slot);
    }
    return entries_[found->second];
}

std::int32_t IndexedStore::Read(std::int32_t slot)
{
    return ValueOf(Find(slot));
}

void IndexedStore::Write(std::int32_t slot, std::int32_t value)
{
    image_.ReadLong(slot); // the slot must lie in the file, as for a plain write
    const Location at = shifts_.At(slot);
    const auto [found, added] = bySlot_.emplace(Key(at), entries_.size());
    if (added) {
        entries_.push_back({at, {}, 0, Kind::Fixed});
    }
    SetValue(found->second, value);
}

void IndexedStore::Insert(const Insertion& insertion, std::span<const std::uint8_t> bytes, std::optional<std::int32_t>)
{
    const std::int32_t length = image_.Size();
    if (insertion.size <= 0 || insertion.point < 0 || insertion.point > length ||
        bytes.size() != static_cast<std::size_t>(insertion.size)) {
        throw OptError("Cannot insert " + std::to_string(insertion.size) + " byte(s) at offset " +
                       std::to_string(insertion.point) + " of a file of " + std::to_string(length) + " bytes.");
    }
    // A pointer past the end that the file has grown to now designates the byte at its target,
    // and from here on moves like one.
    while (!beyond_.empty() && beyond_.back().first <= length) {
        const auto [target, index] = beyond_.back();
        beyond_.pop_back();
        Entry& entry = entries_[index];
        if (entry.kind == Kind::Beyond && static_cast<std::int64_t>(entry.value) - g_ == target) {
            entry.kind = Kind::Tracked;
            entry.target = shifts_.At(target);
        }
    }
    // The new block goes in front of the byte now at the insertion point; everything from that
    // byte on moves, and so does every pointer designating it.
    const Location anchor = shifts_.At(insertion.point);
    if (anchor.inBlock >= 0) {
        throw LostTrack(insertion.point);
    }
    shifts_.Add(anchor.origin, insertion.size);
    image_.Insert(insertion.point, bytes);
}

std::int32_t IndexedStore::OffsetOf(std::int32_t loaded) const
{
    return CheckedAdd(shifts_.OffsetOf({loaded, -1}), 0);
}

void IndexedStore::Finish()
{
    for (const Entry& entry : entries_) {
        image_.WriteLong(shifts_.OffsetOf(entry.slot), ValueOf(entry));
    }
}

} // namespace lathwork
