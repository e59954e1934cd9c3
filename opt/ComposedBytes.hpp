#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace lathwork {

// Bytes described rather than held: a run of pieces, each either a span of bytes someone else
// keeps alive (a mapped file) or bytes made on demand, with small overwrites on top. A change
// of a large file is kept as one of these: its unchanged spans are never copied into memory of
// our own, and the save writes the whole out a chunk at a time through one small buffer.
class ComposedBytes {
public:
    // Writes the whole of a made piece into out (of the piece's size).
    using Maker = std::function<void(std::span<std::uint8_t> out)>;
    using Sink = std::function<void(std::span<const std::uint8_t>)>;

    ComposedBytes() = default;
    // The bytes of base, unchanged; base must outlive this.
    explicit ComposedBytes(std::span<const std::uint8_t> base);

    // Pieces are appended before the first overwrite.
    void Append(std::span<const std::uint8_t> borrowed);
    void Append(std::int64_t size, Maker make);

    std::int64_t Size() const { return size_; }
    // The bytes all overwrites so far hold together.
    std::size_t OverwrittenBytes() const { return pool_.size(); }

    // Puts bytes at offset, over whatever stands there; a later overwrite wins where two meet.
    void Overwrite(std::int64_t offset, std::span<const std::uint8_t> bytes);

    // Copies bytes [offset, offset + out.size()) into out.
    void CopyTo(std::int64_t offset, std::span<std::uint8_t> out) const;
    // Hands all the bytes to sink in order, chunk bytes at a time, through one buffer.
    void Stream(const Sink& sink, std::size_t chunk = std::size_t{4} << 20) const;
    // The bytes, whole.
    std::vector<std::uint8_t> Flatten() const;
    // Whether the bytes equal other. Cheap when they are other's own bytes with overwrites:
    // only the overwritten bytes are compared.
    bool Equals(std::span<const std::uint8_t> other) const;

private:
    struct Piece {
        std::int64_t start = 0; // offset in the composed bytes
        std::int64_t size = 0;
        std::span<const std::uint8_t> borrowed; // when make is empty
        Maker make;
    };
    struct Written {
        std::int64_t offset = 0;
        std::int64_t size = 0;
        std::size_t at = 0; // first byte in pool_
    };

    void AddPiece(Piece piece);
    // The overwrites, by offset and then in the order written.
    std::vector<std::size_t> ByOffset() const;
    void CopyPieces(std::int64_t offset, std::span<std::uint8_t> out) const;
    void ApplyOverwrites(std::int64_t offset, std::span<std::uint8_t> out, const std::vector<std::size_t>& byOffset) const;
    void CopyTo(std::int64_t offset, std::span<std::uint8_t> out, const std::vector<std::size_t>& byOffset) const;

    std::vector<Piece> pieces_;
    std::int64_t size_ = 0;
    std::vector<Written> overwrites_; // in the order written
    std::vector<std::uint8_t> pool_;  // their bytes
    std::int64_t longest_ = 0;        // the longest overwrite
};

} // namespace lathwork
