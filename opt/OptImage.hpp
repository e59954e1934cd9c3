#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace lathwork {

// The bytes of one OPT file, held in memory while one operation works on it.
// Every read and write is bounds-checked and throws OptError naming the offset; values are
// little-endian. Offsets are taken as 64-bit so that arithmetic leaving the 32-bit range is
// caught here instead of wrapping.
//
// Storage: the image is front_ followed by the unread part of back_. The first insertion hands
// the loaded buffer to back_ and starts front_ afresh with the head; later insertions further
// on only append to front_, so a rewrite that inserts in file order costs one pass over the
// file instead of one tail move per insertion. An insertion behind the boundary moves only
// front_'s own tail.
class OptImage {
public:
    // Contiguous keeps every byte in one buffer and moves the whole tail at each insertion: the
    // plain behaviour, kept as the reference the tests compare the default storage with.
    enum class Storage { Split, Contiguous };

    OptImage() = default;
    explicit OptImage(std::vector<std::uint8_t> bytes, Storage storage = Storage::Split);

    // Reads the whole file once. Files of 2 GiB or more cannot hold 32-bit offsets.
    static OptImage Load(const std::filesystem::path& path);

    std::int32_t Size() const;

    std::int32_t ReadLong(std::int64_t offset) const;
    std::int16_t ReadInteger(std::int64_t offset) const;
    std::uint8_t ReadByte(std::int64_t offset) const;
    float ReadSingle(std::int64_t offset) const;
    std::vector<std::uint8_t> ReadBytes(std::int64_t offset, std::int64_t count) const;
    // A view of count bytes at offset; valid until the next insertion (writes show through).
    std::span<const std::uint8_t> View(std::int64_t offset, std::int64_t count) const;

    void WriteLong(std::int64_t offset, std::int32_t value);
    void WriteInteger(std::int64_t offset, std::int16_t value);
    void WriteByte(std::int64_t offset, std::uint8_t value);
    void WriteSingle(std::int64_t offset, float value);
    void WriteBytes(std::int64_t offset, std::span<const std::uint8_t> bytes);
    void Fill(std::int64_t offset, std::int64_t count, std::uint8_t value);

    // Inserts bytes so that the first of them stands at offset; offset may equal Size().
    void Insert(std::int64_t offset, std::span<const std::uint8_t> bytes);

    // Says that insertions may make the image up to size bytes long: room for that is set aside
    // once, at the first insertion, instead of growing (and copying) the image step by step.
    // Room that is never written costs address space only.
    void Reserve(std::int64_t size);

    // The whole image as one run of bytes; valid until the next insertion.
    std::span<const std::uint8_t> Bytes() const;

    // Replaces the file at path with these bytes atomically (see ReplaceFile).
    void Save(const std::filesystem::path& path) const;

private:
    // Throws unless [offset, offset + count) lies inside the image.
    void Check(std::int64_t offset, std::int64_t count, const char* what) const;
    // Makes [offset, offset + count) one run in front_ and returns its first byte. Moving the
    // boundary forward never reallocates front_ (its capacity always covers the whole image),
    // so earlier views stay valid.
    std::uint8_t* Run(std::int64_t offset, std::int64_t count) const;
    void ReserveFront(std::size_t total);
    // Returns the pages of back_ whose bytes have moved to front_ to the system.
    void ReleaseMovedBack();

    mutable std::vector<std::uint8_t> front_;
    mutable std::vector<std::uint8_t> back_;
    mutable std::size_t backStart_ = 0;
    mutable std::size_t backReleased_ = 0; // back_ bytes before this are handed back
    std::size_t reserve_ = 0;
    Storage storage_ = Storage::Split;
};

// Adds two offsets or sizes, throwing when the result leaves the 32-bit signed range that
// every offset of the format lives in.
std::int32_t CheckedAdd(std::int64_t a, std::int64_t b);

} // namespace lathwork
