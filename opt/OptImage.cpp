#include "opt/OptImage.hpp"

#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "opt/PageAdvice.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace lathwork {

namespace {

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

std::uint32_t LoadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void StoreU32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

} // namespace

std::int32_t CheckedAdd(std::int64_t a, std::int64_t b)
{
    const std::int64_t sum = a + b; // both operands come from 32-bit values: no 64-bit overflow
    if (sum < std::numeric_limits<std::int32_t>::min() || sum > kMaxOffset) {
        throw OptError("The file is damaged: offset arithmetic " + std::to_string(a) + " + " +
                       std::to_string(b) + " leaves the 32-bit range.");
    }
    return static_cast<std::int32_t>(sum);
}

OptImage::OptImage(std::vector<std::uint8_t> bytes, Storage storage) : front_(std::move(bytes)), storage_(storage)
{
    if (static_cast<std::int64_t>(front_.size()) > kMaxOffset) {
        throw OptError("The file is too large: OPT offsets are 32-bit, so it must be under 2 GiB.");
    }
}

OptImage OptImage::Load(const std::filesystem::path& path)
{
    return OptImage(ReadWholeFile(path));
}

std::int32_t OptImage::Size() const
{
    return static_cast<std::int32_t>(front_.size() + back_.size() - backStart_);
}

void OptImage::Check(std::int64_t offset, std::int64_t count, const char* what) const
{
    if (count < 0) {
        throw OptError("The file is damaged: a negative size (" + std::to_string(count) +
                       ") was read for " + what + " at offset " + std::to_string(offset) + ".");
    }
    const std::int64_t size = Size();
    if (offset < 0 || offset > size || count > size - offset) {
        throw OptError("The file is damaged: " + std::string(what) + " of " + std::to_string(count) +
                       " byte(s) at offset " + std::to_string(offset) +
                       " lies outside the file (" + std::to_string(size) + " bytes).");
    }
}

std::uint8_t* OptImage::Run(std::int64_t offset, std::int64_t count) const
{
    const auto begin = static_cast<std::size_t>(offset);
    const auto end = begin + static_cast<std::size_t>(count);
    if (end <= front_.size()) {
        return front_.data() + begin;
    }
    if (begin >= front_.size() && count > 0) {
        return back_.data() + backStart_ + (begin - front_.size());
    }
    // The run crosses the boundary (or is empty at it): bring the bytes up to end over from
    // back_. front_'s capacity already covers the whole image, so nothing reallocates.
    const std::size_t move = end - front_.size();
    const auto from = back_.begin() + static_cast<std::ptrdiff_t>(backStart_);
    front_.insert(front_.end(), from, from + static_cast<std::ptrdiff_t>(move));
    backStart_ += move;
    return front_.data() + begin;
}

void OptImage::ReleaseMovedBack()
{
    // Only here, at an insertion, where every earlier view is void anyway: a read may still be
    // looking at back_ bytes that a later read moved over.
    if (backStart_ == back_.size()) {
        back_ = {};
        backStart_ = 0;
        backReleased_ = 0;
        return;
    }
    // Bytes before backStart_ are never read again. Handing their pages back as the boundary
    // moves keeps a rewrite that moves the whole file near the size of its result in memory,
    // instead of holding the loaded file beside it until the end.
    // (A page cut by a step's end stays: one in 512 at most.)
    constexpr std::size_t kStep = std::size_t{2} << 20;
    if (backStart_ - backReleased_ >= kStep) {
        ReleasePages(back_.data() + backReleased_, backStart_ - backReleased_);
        backReleased_ = backStart_;
    }
}

void OptImage::ReserveFront(std::size_t total)
{
    if (front_.capacity() < total) {
        front_.reserve(std::max(reserve_, total + total / 4));
        AdviseLargePages(front_.data() + front_.size(), front_.capacity() - front_.size());
    }
}

void OptImage::Reserve(std::int64_t size)
{
    reserve_ = static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, kMaxOffset));
}

std::int32_t OptImage::ReadLong(std::int64_t offset) const
{
    Check(offset, 4, "a read");
    return static_cast<std::int32_t>(LoadU32(Run(offset, 4)));
}

std::int16_t OptImage::ReadInteger(std::int64_t offset) const
{
    Check(offset, 2, "a read");
    const auto* p = Run(offset, 2);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

std::uint8_t OptImage::ReadByte(std::int64_t offset) const
{
    Check(offset, 1, "a read");
    return *Run(offset, 1);
}

float OptImage::ReadSingle(std::int64_t offset) const
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(ReadLong(offset)));
}

std::vector<std::uint8_t> OptImage::ReadBytes(std::int64_t offset, std::int64_t count) const
{
    const auto view = View(offset, count);
    return {view.begin(), view.end()};
}

std::span<const std::uint8_t> OptImage::View(std::int64_t offset, std::int64_t count) const
{
    Check(offset, count, "a read");
    return {Run(offset, count), static_cast<std::size_t>(count)};
}

std::span<const std::uint8_t> OptImage::Bytes() const
{
    return View(0, Size());
}

void OptImage::WriteLong(std::int64_t offset, std::int32_t value)
{
    Check(offset, 4, "a write");
    StoreU32(Run(offset, 4), static_cast<std::uint32_t>(value));
}

void OptImage::WriteInteger(std::int64_t offset, std::int16_t value)
{
    Check(offset, 2, "a write");
    const auto v = static_cast<std::uint16_t>(value);
    auto* p = Run(offset, 2);
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void OptImage::WriteByte(std::int64_t offset, std::uint8_t value)
{
    Check(offset, 1, "a write");
    *Run(offset, 1) = value;
}

void OptImage::WriteSingle(std::int64_t offset, float value)
{
    WriteLong(offset, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

void OptImage::WriteBytes(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    Check(offset, static_cast<std::int64_t>(bytes.size()), "a write");
    if (!bytes.empty()) {
        std::memmove(Run(offset, static_cast<std::int64_t>(bytes.size())), bytes.data(), bytes.size());
    }
}

void OptImage::Fill(std::int64_t offset, std::int64_t count, std::uint8_t value)
{
    Check(offset, count, "a write");
    if (count > 0) {
        std::memset(Run(offset, count), value, static_cast<std::size_t>(count));
    }
}

void OptImage::Insert(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    Check(offset, 0, "an insertion");
    const std::int32_t total = CheckedAdd(Size(), static_cast<std::int64_t>(bytes.size()));
    // The new bytes may be a view of this image: copy them before anything moves.
    const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    ReleaseMovedBack();
    const auto at = static_cast<std::size_t>(offset);
    if (storage_ == Storage::Split && back_.empty() && at < front_.size()) {
        // First insertion inside the image: the buffer becomes back_ as it is, and only the
        // head before the insertion point is copied into a new front_.
        back_ = std::move(front_);
        backStart_ = at;
        backReleased_ = 0;
        front_ = {};
        ReserveFront(static_cast<std::size_t>(total));
        front_.assign(back_.begin(), back_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ReserveFront(static_cast<std::size_t>(total));
    if (at >= front_.size()) {
        Run(offset, 0); // the boundary moves up to the insertion point
        front_.insert(front_.end(), copy.begin(), copy.end());
    } else {
        front_.insert(front_.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
    }
    ReleaseMovedBack();
}

void OptImage::Save(const std::filesystem::path& path) const
{
    const std::span<const std::uint8_t> tail(back_.data() + backStart_, back_.size() - backStart_);
    ReplaceFile(path, {std::span<const std::uint8_t>(front_), tail});
}

} // namespace lathwork
