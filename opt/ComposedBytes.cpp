#include "opt/ComposedBytes.hpp"

#include "opt/OptError.hpp"
#include "opt/PageAdvice.hpp"

#include <algorithm>
#include <cstring>

namespace lathwork {

ComposedBytes::ComposedBytes(std::span<const std::uint8_t> base)
{
    Append(base);
}

void ComposedBytes::Append(std::span<const std::uint8_t> borrowed)
{
    AddPiece({size_, static_cast<std::int64_t>(borrowed.size()), borrowed, {}});
}

void ComposedBytes::Append(std::int64_t size, Maker make)
{
    AddPiece({size_, size, {}, std::move(make)});
}

void ComposedBytes::AddPiece(Piece piece)
{
    if (!overwrites_.empty()) {
        throw OptError("Internal error: a piece appended after an overwrite.");
    }
    if (piece.size > 0) {
        size_ += piece.size;
        pieces_.push_back(std::move(piece));
    }
}

void ComposedBytes::Overwrite(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (offset < 0 || size > size_ - offset) {
        throw OptError("Internal error: an overwrite outside the bytes.");
    }
    overwrites_.push_back({offset, size, pool_.size()});
    pool_.insert(pool_.end(), bytes.begin(), bytes.end());
    longest_ = std::max(longest_, size);
}

std::vector<std::size_t> ComposedBytes::ByOffset() const
{
    std::vector<std::size_t> order(overwrites_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return overwrites_[a].offset < overwrites_[b].offset; });
    return order;
}

void ComposedBytes::CopyPieces(std::int64_t offset, std::span<std::uint8_t> out) const
{
    auto piece = std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                                  [](std::int64_t o, const Piece& p) { return o < p.start; });
    --piece; // offset lies inside the bytes: some piece starts at or before it
    std::vector<std::uint8_t> scratch;
    for (std::size_t done = 0; done < out.size(); ++piece) {
        const std::int64_t from = offset + static_cast<std::int64_t>(done) - piece->start;
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(piece->size - from, out.size() - done));
        if (piece->make && static_cast<std::int64_t>(n) == piece->size) {
            piece->make(out.subspan(done, n));
        } else if (piece->make) { // a piece cut by the edge of out: made whole, the part wanted copied
            scratch.resize(static_cast<std::size_t>(piece->size));
            piece->make(scratch);
            std::memcpy(out.data() + done, scratch.data() + from, n);
        } else {
            std::memcpy(out.data() + done, piece->borrowed.data() + from, n);
        }
        done += n;
    }
}

void ComposedBytes::ApplyOverwrites(std::int64_t offset, std::span<std::uint8_t> out,
                                    const std::vector<std::size_t>& byOffset) const
{
    const std::int64_t end = offset + static_cast<std::int64_t>(out.size());
    // Only an overwrite that starts less than the longest one's size before offset can reach in.
    auto first = std::lower_bound(byOffset.begin(), byOffset.end(), offset - longest_ + 1,
                                  [&](std::size_t i, std::int64_t o) { return overwrites_[i].offset < o; });
    std::vector<std::size_t> meeting;
    for (auto it = first; it != byOffset.end() && overwrites_[*it].offset < end; ++it) {
        if (overwrites_[*it].offset + overwrites_[*it].size > offset) {
            meeting.push_back(*it);
        }
    }
    std::sort(meeting.begin(), meeting.end()); // in the order written: the later wins
    for (const std::size_t i : meeting) {
        const Written& w = overwrites_[i];
        const std::int64_t from = std::max(w.offset, offset);
        const std::int64_t to = std::min(w.offset + w.size, end);
        std::memcpy(out.data() + (from - offset), pool_.data() + w.at + (from - w.offset),
                    static_cast<std::size_t>(to - from));
    }
}

void ComposedBytes::CopyTo(std::int64_t offset, std::span<std::uint8_t> out,
                           const std::vector<std::size_t>& byOffset) const
{
    if (offset < 0 || static_cast<std::int64_t>(out.size()) > size_ - offset) {
        throw OptError("Internal error: a copy outside the bytes.");
    }
    if (!out.empty()) {
        CopyPieces(offset, out);
        ApplyOverwrites(offset, out, byOffset);
    }
}

void ComposedBytes::CopyTo(std::int64_t offset, std::span<std::uint8_t> out) const
{
    CopyTo(offset, out, ByOffset());
}

void ComposedBytes::Stream(const Sink& sink, std::size_t chunk) const
{
    const std::vector<std::size_t> byOffset = ByOffset();
    // One buffer for every chunk, starting on a large page and advised to use them: a few faults
    // instead of one per 4 kB page.
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    const auto used = static_cast<std::size_t>(std::min<std::int64_t>(size_, static_cast<std::int64_t>(chunk)));
    std::vector<std::uint8_t> buffer;
    buffer.reserve(used + kLargePage);
    const std::size_t skip = (kLargePage - reinterpret_cast<std::uintptr_t>(buffer.data()) % kLargePage) % kLargePage;
    AdviseLargePages(buffer.data(), buffer.capacity());
    buffer.resize(skip + used);
    const auto chunkBuffer = std::span(buffer).subspan(skip);
    for (std::int64_t done = 0; done < size_;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size_ - done, static_cast<std::int64_t>(chunk)));
        const auto out = chunkBuffer.first(n);
        CopyTo(done, out, byOffset);
        sink(out);
        done += static_cast<std::int64_t>(n);
    }
}

std::vector<std::uint8_t> ComposedBytes::Flatten() const
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size_));
    AdviseLargePages(bytes.data(), bytes.capacity()); // tens of megabytes written once
    bytes.resize(static_cast<std::size_t>(size_));
    CopyTo(0, bytes);
    return bytes;
}

bool ComposedBytes::Equals(std::span<const std::uint8_t> other) const
{
    if (size_ != static_cast<std::int64_t>(other.size())) {
        return false;
    }
    const bool overOther = pieces_.size() == 1 && !pieces_.front().make &&
                           pieces_.front().borrowed.data() == other.data();
    if (!overOther) {
        bool same = true;
        std::int64_t at = 0;
        Stream([&](std::span<const std::uint8_t> chunk) {
            same = same && std::memcmp(chunk.data(), other.data() + at, chunk.size()) == 0;
            at += static_cast<std::int64_t>(chunk.size());
        });
        return same;
    }
    // Only the overwritten stretches can differ; each is compared once, as it finally reads.
    const std::vector<std::size_t> byOffset = ByOffset();
    std::vector<std::uint8_t> buffer;
    for (std::size_t k = 0; k < byOffset.size();) {
        const std::int64_t from = overwrites_[byOffset[k]].offset;
        std::int64_t to = from;
        for (; k < byOffset.size() && overwrites_[byOffset[k]].offset <= to; ++k) {
            to = std::max(to, overwrites_[byOffset[k]].offset + overwrites_[byOffset[k]].size);
        }
        buffer.resize(static_cast<std::size_t>(to - from));
        CopyTo(from, buffer, byOffset);
        if (std::memcmp(buffer.data(), other.data() + from, buffer.size()) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace lathwork
