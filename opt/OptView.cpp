#include "opt/OptView.hpp"

#include "opt/ByteCodec.hpp"
#include "opt/OptError.hpp"

#include <bit>
#include <limits>
#include <string>

namespace lathwork {

namespace {

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

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

OptView::OptView(std::span<const std::uint8_t> bytes) : bytes_(bytes)
{
    if (static_cast<std::int64_t>(bytes.size()) > kMaxOffset) {
        throw OptError("The file is too large: OPT offsets are 32-bit, so it must be under 2 GiB.");
    }
}

void OptView::CheckRange(std::int64_t size, std::int64_t offset, std::int64_t count, const char* what)
{
    if (count < 0) {
        throw OptError("The file is damaged: a negative size (" + std::to_string(count) +
                       ") was read for " + what + " at offset " + std::to_string(offset) + ".");
    }
    if (offset < 0 || offset > size || count > size - offset) {
        throw OptError("The file is damaged: " + std::string(what) + " of " + std::to_string(count) +
                       " byte(s) at offset " + std::to_string(offset) +
                       " lies outside the file (" + std::to_string(size) + " bytes).");
    }
}

std::int32_t OptView::ReadLong(std::int64_t offset) const
{
    Check(offset, 4, "a read");
    return codec::LoadLong(bytes_.data() + offset);
}

std::uint8_t OptView::ReadByte(std::int64_t offset) const
{
    Check(offset, 1, "a read");
    return bytes_[static_cast<std::size_t>(offset)];
}

float OptView::ReadSingle(std::int64_t offset) const
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(ReadLong(offset)));
}

std::span<const std::uint8_t> OptView::View(std::int64_t offset, std::int64_t count) const
{
    Check(offset, count, "a read");
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
}

std::vector<std::uint8_t> OptView::ReadBytes(std::int64_t offset, std::int64_t count) const
{
    const auto span = View(offset, count);
    return {span.begin(), span.end()};
}

} // namespace lathwork
