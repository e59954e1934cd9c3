#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lathwork {

// Read-only access to the bytes of one OPT file, wherever they are held (read into memory or
// mapped). Every read is bounds-checked and throws OptError naming the offset; values are
// little-endian. Offsets are taken as 64-bit so that arithmetic leaving the 32-bit range is
// caught here instead of wrapping. Cheap to copy; the bytes must outlive it.
class OptView {
public:
    OptView() = default;
    // Throws OptError for 2 GiB or more: OPT offsets are 32-bit.
    explicit OptView(std::span<const std::uint8_t> bytes);

    std::int32_t Size() const { return static_cast<std::int32_t>(bytes_.size()); }

    std::int32_t ReadLong(std::int64_t offset) const;
    std::uint8_t ReadByte(std::int64_t offset) const;
    float ReadSingle(std::int64_t offset) const;
    // count bytes at offset, without a copy.
    std::span<const std::uint8_t> View(std::int64_t offset, std::int64_t count) const;
    std::vector<std::uint8_t> ReadBytes(std::int64_t offset, std::int64_t count) const;
    std::span<const std::uint8_t> Bytes() const { return bytes_; }

    // Throws unless [offset, offset + count) lies inside the file; what names the access.
    void Check(std::int64_t offset, std::int64_t count, const char* what) const { CheckRange(Size(), offset, count, what); }
    // The same for a file of size bytes.
    static void CheckRange(std::int64_t size, std::int64_t offset, std::int64_t count, const char* what);

private:
    std::span<const std::uint8_t> bytes_;
};

// Adds two offsets or sizes, throwing when the result leaves the 32-bit signed range that
// every offset of the format lives in.
std::int32_t CheckedAdd(std::int64_t a, std::int64_t b);

} // namespace lathwork
