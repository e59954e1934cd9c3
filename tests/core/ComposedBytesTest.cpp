#include "opt/ComposedBytes.hpp"
#include "opt/OptImage.hpp"

#include <gtest/gtest.h>

#include <random>

namespace lathwork {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Random pieces (spans of a base, made pieces) and overlapping overwrites, against the same
// bytes built plainly: whole, streamed in chunks of every awkward size, and compared.
TEST(ComposedBytes, MatchesThePlainBytesHoweverCutIntoChunks)
{
    std::mt19937 rng(5);
    auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    Bytes base(300);
    for (auto& b : base) {
        b = static_cast<std::uint8_t>(rng());
    }
    for (int round = 0; round < 200; ++round) {
        ComposedBytes composed;
        Bytes plain;
        for (std::size_t pieces = below(6); pieces > 0; --pieces) {
            const std::size_t from = below(base.size());
            const std::size_t n = below(base.size() - from + 1);
            if (below(2) == 0) {
                composed.Append(std::span(base).subspan(from, n));
                plain.insert(plain.end(), base.begin() + static_cast<std::ptrdiff_t>(from),
                             base.begin() + static_cast<std::ptrdiff_t>(from + n));
            } else {
                composed.Append(static_cast<std::int64_t>(n), [n](std::span<std::uint8_t> out) {
                    ASSERT_EQ(out.size(), n); // made whole, however the chunks cut it
                    for (std::size_t i = 0; i < n; ++i) {
                        out[i] = static_cast<std::uint8_t>(i * 7 + n);
                    }
                });
                for (std::size_t i = 0; i < n; ++i) {
                    plain.push_back(static_cast<std::uint8_t>(i * 7 + n));
                }
            }
        }
        for (std::size_t writes = plain.empty() ? 0 : below(8); writes > 0; --writes) {
            const std::size_t at = below(plain.size());
            const Bytes bytes(below(std::min<std::size_t>(plain.size() - at, 40) + 1), static_cast<std::uint8_t>(rng()));
            composed.Overwrite(static_cast<std::int64_t>(at), bytes);
            std::copy(bytes.begin(), bytes.end(), plain.begin() + static_cast<std::ptrdiff_t>(at));
        }
        ASSERT_EQ(composed.Flatten(), plain);
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{4096}}) {
            Bytes streamed;
            composed.Stream([&](std::span<const std::uint8_t> part) { streamed.insert(streamed.end(), part.begin(), part.end()); },
                            chunk);
            ASSERT_EQ(streamed, plain) << "chunk " << chunk;
        }
        EXPECT_TRUE(composed.Equals(plain));
        if (!plain.empty()) {
            plain[below(plain.size())] ^= 1;
            EXPECT_FALSE(composed.Equals(plain));
        }
    }
}

// Writes to a mapped file's bytes are kept beside them: the mapping is never written, a write
// that puts back the bytes that stood there is no change, and a read sees every write.
TEST(ComposedBytes, WritesToBorrowedBytesAreKeptBesideThem)
{
    const auto source = std::make_shared<const Bytes>(Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    OptImage image(*source, source);
    image.WriteLong(2, 0x0A0B0C0D);
    EXPECT_FALSE(image.Equals(*source));
    image.WriteLong(2, 0x06050403); // the bytes that stood there
    EXPECT_TRUE(image.Equals(*source));
    image.WriteByte(7, 9);
    Bytes streamed;
    image.Stream([&](std::span<const std::uint8_t> part) { streamed.insert(streamed.end(), part.begin(), part.end()); });
    EXPECT_EQ(streamed, (Bytes{1, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(*source, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(image.ReadByte(7), 9);
    EXPECT_NE(image.Bytes().data(), source->data());
}

} // namespace
} // namespace lathwork
