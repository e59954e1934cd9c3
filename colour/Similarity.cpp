#include "colour/Similarity.hpp"

#include "opt/OptError.hpp"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace lathwork {

namespace {

// |p - c| <= t is C - t <= P <= C + t without the sums that could overflow.
bool Within(int p, int c, int tolerance)
{
    return std::llabs(static_cast<long long>(p) - c) <= tolerance;
}

std::uint32_t Channel(int value)
{
    return static_cast<std::uint32_t>(std::clamp(value, 0, 255));
}

} // namespace

bool IsSimilar(const Rgb& pixel, const Rgb& picked, int tolerance)
{
    return Within(pixel.red, picked.red, tolerance) && Within(pixel.green, picked.green, tolerance) &&
           Within(pixel.blue, picked.blue, tolerance);
}

Rgb SplitColour(std::uint32_t v)
{
    return {static_cast<int>(v & 255), static_cast<int>((v >> 8) & 255), static_cast<int>((v >> 16) & 255)};
}

std::uint32_t JoinColour(const Rgb& c)
{
    return Channel(c.red) | Channel(c.green) << 8 | Channel(c.blue) << 16;
}

RgbBuffer::RgbBuffer(int width, int height, std::uint32_t fill) : width_(width), height_(height)
{
    if (width < 0 || height < 0) {
        throw OptError("A picture cannot be " + std::to_string(width) + " x " + std::to_string(height) + " pixels.");
    }
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

std::size_t RgbBuffer::Index(int x, int y) const
{
    if (!Contains(x, y)) {
        throw OptError("The pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") lies outside the " +
                       std::to_string(width_) + " x " + std::to_string(height_) + " picture.");
    }
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
}

std::uint32_t RgbBuffer::Get(int x, int y) const
{
    return pixels_[Index(x, y)];
}

void RgbBuffer::Set(int x, int y, std::uint32_t value)
{
    pixels_[Index(x, y)] = value;
}

void MarkSimilarPixels(RgbBuffer& display, int texWidth, int texHeight, const Rgb& colour, int tolerance)
{
    const int width = std::min(texWidth, display.Width());
    const int height = std::min(texHeight, display.Height());
    const auto stride = static_cast<std::size_t>(display.Width());
    auto& pixels = display.Pixels();
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            std::uint32_t& pixel = pixels[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
            if (IsSimilar(SplitColour(pixel), colour, tolerance)) {
                pixel = kMarkColour;
            }
        }
    }
}

void RemarkPickedColours(RgbBuffer& display, const RgbBuffer& holder, int texWidth, int texHeight,
                         const std::vector<Rgb>& picked, int tolerance)
{
    display = holder;
    for (const Rgb& colour : picked) {
        MarkSimilarPixels(display, texWidth, texHeight, colour, tolerance);
    }
}

} // namespace lathwork
