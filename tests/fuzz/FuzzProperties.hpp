#pragma once

// What every fuzz target checks: a call on any bytes either throws OptError or returns; a
// rewrite that returns leaves a model whose textures read back as they were.

#include "opt/OptImage.hpp"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lathwork::fuzz {

struct TextureRecord {
    std::string name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;
    friend bool operator==(const TextureRecord&, const TextureRecord&) = default;
};

// Every texture VisitTextures reaches and ReadTextureImage reads, in walk order.
std::vector<TextureRecord> ReadAllTextures(const OptImage& image);

// Aborts (a finding) unless before and after hold the same textures.
void RequireSameTextures(const std::vector<TextureRecord>& before, const OptImage& after);

// Reports a broken property and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

// Runs every reader on the image; each may throw OptError, nothing else may go wrong.
void ReadEverything(const OptImage& image);

// Reads small numbers off the front of the input; past its end every read gives 0.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
    int Int(int lo, int hi) { return lo + Byte() % (hi - lo + 1); }
    bool Bool() { return (Byte() & 1) != 0; }
    // One in n (true when the next byte is a multiple of n).
    bool OneIn(int n) { return Byte() % n == 0; }
    std::uint32_t U32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        }
        return v;
    }
    float Single()
    {
        const std::uint32_t bits = U32();
        float f = 0;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    template <typename T>
    const T& Pick(const std::vector<T>& from) { return from[Byte() % from.size()]; }
    std::vector<std::uint8_t> Rest() const { return {data_ + used_, data_ + size_}; }
    std::size_t Left() const { return size_ - used_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

} // namespace lathwork::fuzz
