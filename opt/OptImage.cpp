#include "opt/OptImage.hpp"

#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"

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

OptImage::OptImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes))
{
    if (static_cast<std::int64_t>(bytes_.size()) > kMaxOffset) {
        throw OptError("The file is too large: OPT offsets are 32-bit, so it must be under 2 GiB.");
    }
}

OptImage OptImage::Load(const std::filesystem::path& path)
{
    return OptImage(ReadWholeFile(path));
}

void OptImage::Check(std::int64_t offset, std::int64_t count, const char* what) const
{
    if (count < 0) {
        throw OptError("The file is damaged: a negative size (" + std::to_string(count) +
                       ") was read for " + what + " at offset " + std::to_string(offset) + ".");
    }
    const auto size = static_cast<std::int64_t>(bytes_.size());
    if (offset < 0 || offset > size || count > size - offset) {
        throw OptError("The file is damaged: " + std::string(what) + " of " + std::to_string(count) +
                       " byte(s) at offset " + std::to_string(offset) +
                       " lies outside the file (" + std::to_string(size) + " bytes).");
    }
}

std::int32_t OptImage::ReadLong(std::int64_t offset) const
{
    Check(offset, 4, "a read");
    return static_cast<std::int32_t>(LoadU32(bytes_.data() + offset));
}

std::int16_t OptImage::ReadInteger(std::int64_t offset) const
{
    Check(offset, 2, "a read");
    const auto* p = bytes_.data() + offset;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

std::uint8_t OptImage::ReadByte(std::int64_t offset) const
{
    Check(offset, 1, "a read");
    return bytes_[static_cast<std::size_t>(offset)];
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
    return {bytes_.data() + offset, static_cast<std::size_t>(count)};
}

void OptImage::WriteLong(std::int64_t offset, std::int32_t value)
{
    Check(offset, 4, "a write");
    StoreU32(bytes_.data() + offset, static_cast<std::uint32_t>(value));
}

void OptImage::WriteInteger(std::int64_t offset, std::int16_t value)
{
    Check(offset, 2, "a write");
    const auto v = static_cast<std::uint16_t>(value);
    bytes_[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(v);
    bytes_[static_cast<std::size_t>(offset) + 1] = static_cast<std::uint8_t>(v >> 8);
}

void OptImage::WriteByte(std::int64_t offset, std::uint8_t value)
{
    Check(offset, 1, "a write");
    bytes_[static_cast<std::size_t>(offset)] = value;
}

void OptImage::WriteSingle(std::int64_t offset, float value)
{
    WriteLong(offset, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

void OptImage::WriteBytes(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    Check(offset, static_cast<std::int64_t>(bytes.size()), "a write");
    if (!bytes.empty()) {
        std::memmove(bytes_.data() + offset, bytes.data(), bytes.size());
    }
}

void OptImage::Fill(std::int64_t offset, std::int64_t count, std::uint8_t value)
{
    Check(offset, count, "a write");
    std::memset(bytes_.data() + offset, value, static_cast<std::size_t>(count));
}

void OptImage::Insert(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    Check(offset, 0, "an insertion");
    CheckedAdd(static_cast<std::int64_t>(bytes_.size()), static_cast<std::int64_t>(bytes.size()));
    // The new bytes may be a view of this image: copy them before the storage moves.
    const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    bytes_.insert(bytes_.begin() + offset, copy.begin(), copy.end());
}

void OptImage::Save(const std::filesystem::path& path) const
{
    ReplaceFile(path, bytes_);
}

} // namespace lathwork
