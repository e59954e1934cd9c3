#pragma once

#include "opt/ComposedBytes.hpp"
#include "opt/OptView.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace lathwork {

// The bytes of one OPT file while one operation works on it. Reads go through OptView (an
// OptImage converts to one); writes are bounds-checked the same way.
//
// An image may start on bytes it does not own (a file mapped into memory): they are read in
// place. Writes to such bytes are kept as overwrites on top of them, and a rewrite may leave
// the image as a composition (ComposedBytes) over them; either is saved straight from the
// borrowed bytes and the changes. The bytes are made whole in a buffer of the image's own only
// when something reads them, inserts into them, or writes more than a little. That first read
// changes the image behind its const face: read an image on one thread at a time until then.
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

    operator OptView() const { return Flat(); }
    std::int32_t Size() const { return composed_ ? static_cast<std::int32_t>(composed_->Size()) : view_.Size(); }

    std::int32_t ReadLong(std::int64_t offset) const { return Flat().ReadLong(offset); }
    std::uint8_t ReadByte(std::int64_t offset) const { return Flat().ReadByte(offset); }
    float ReadSingle(std::int64_t offset) const { return Flat().ReadSingle(offset); }
    std::vector<std::uint8_t> ReadBytes(std::int64_t offset, std::int64_t count) const
    {
        return Flat().ReadBytes(offset, count);
    }
    // A view of count bytes at offset; valid until the next change.
    std::span<const std::uint8_t> View(std::int64_t offset, std::int64_t count) const
    {
        return Flat().View(offset, count);
    }
    // The whole image; valid until the next change.
    std::span<const std::uint8_t> Bytes() const { return Flat().Bytes(); }

    // The image becomes composed: its bytes as they now stand stay alive as long as composed
    // may borrow them (take the spans from Bytes() before the call).
    void Compose(ComposedBytes composed);
    // Whether the image's bytes equal bytes, without making them whole.
    bool Equals(std::span<const std::uint8_t> bytes) const;
    // Hands the image's bytes to sink in order, a chunk at a time, without making them whole.
    void Stream(const ComposedBytes::Sink& sink) const;

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
    // Writes bytes at offset: kept as an overwrite while the image is not whole and the
    // overwrites stay small, else into the whole bytes.
    void Put(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // The bytes, made whole first when they are not.
    const OptView& Flat() const;
    void MakeWhole() const;

    // The image's state: its own bytes_ (owner_ empty); borrowed bytes (owner_ keeps them
    // alive); or a composition (composed_), whose borrowed pieces owner_ keeps alive.
    mutable std::vector<std::uint8_t> bytes_;
    mutable std::shared_ptr<const void> owner_;
    mutable std::optional<ComposedBytes> composed_;
    mutable OptView view_; // the whole bytes; empty while composed
};

} // namespace lathwork
