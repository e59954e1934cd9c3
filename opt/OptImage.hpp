#pragma once

#include "opt/OptView.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace lathwork {

// The bytes of one OPT file while one operation works on it. Reads go through OptView (an
// OptImage converts to one); writes are bounds-checked the same way.
//
// An image may start on bytes it does not own (a file mapped into memory): they are read in
// place, and copied into a buffer of its own only at the first write or insertion.
class OptImage {
public:
    OptImage() = default;
    explicit OptImage(std::vector<std::uint8_t> bytes);
    // Bytes held by owner, read in place until the first change.
    OptImage(std::span<const std::uint8_t> bytes, std::shared_ptr<const void> owner);
    OptImage(const OptImage& other);
    OptImage& operator=(const OptImage& other);
    OptImage(OptImage&&) noexcept = default; // a moved vector keeps its buffer: the view stays valid
    OptImage& operator=(OptImage&&) noexcept = default;

    // The file mapped into memory, read in place until the first change. Files of 2 GiB or
    // more cannot hold 32-bit offsets.
    static OptImage Load(const std::filesystem::path& path);

    operator OptView() const { return view_; }
    std::int32_t Size() const { return view_.Size(); }

    std::int32_t ReadLong(std::int64_t offset) const { return view_.ReadLong(offset); }
    std::uint8_t ReadByte(std::int64_t offset) const { return view_.ReadByte(offset); }
    float ReadSingle(std::int64_t offset) const { return view_.ReadSingle(offset); }
    std::vector<std::uint8_t> ReadBytes(std::int64_t offset, std::int64_t count) const
    {
        return view_.ReadBytes(offset, count);
    }
    // A view of count bytes at offset; valid until the next change.
    std::span<const std::uint8_t> View(std::int64_t offset, std::int64_t count) const
    {
        return view_.View(offset, count);
    }
    // The whole image; valid until the next change.
    std::span<const std::uint8_t> Bytes() const { return view_.Bytes(); }

    void WriteLong(std::int64_t offset, std::int32_t value);
    void WriteByte(std::int64_t offset, std::uint8_t value);
    void WriteSingle(std::int64_t offset, float value);
    void WriteBytes(std::int64_t offset, std::span<const std::uint8_t> bytes);
    void Fill(std::int64_t offset, std::int64_t count, std::uint8_t value);

    // Inserts bytes so that the first of them stands at offset (which may equal Size()): the
    // tail moves behind them.
    void Insert(std::int64_t offset, std::span<const std::uint8_t> bytes);

    // Replaces the file at path with these bytes atomically (see ReplaceFile). Borrowed bytes
    // are copied first: a system may refuse to replace a file that is still mapped.
    void Save(const std::filesystem::path& path);

    // The bytes, taken out of the image (copied first only when still borrowed); the image is
    // left empty.
    std::vector<std::uint8_t> TakeBytes() &&;

private:
    // The writable bytes of [offset, offset + count), after checking they lie in the image.
    std::uint8_t* Writable(std::int64_t offset, std::int64_t count, const char* what);

    std::vector<std::uint8_t> bytes_;
    std::shared_ptr<const void> owner_; // keeps borrowed bytes alive; empty once they are copied
    OptView view_;
};

} // namespace lathwork
