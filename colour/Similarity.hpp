#pragma once

#include <cstdint>
#include <vector>

namespace lathwork {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Each channel of pixel within picked +- tolerance, bounds included, no clamping of
// picked +- tolerance to 0..255. The preview marking and the palette rewrites share this test.
bool IsSimilar(const Rgb& pixel, const Rgb& picked, int tolerance);

// A platform colour value 0x00BBGGRR: red byte 0, green byte 1, blue byte 2 (byte 3 ignored).
Rgb SplitColour(std::uint32_t colourValue);
// The reverse; channels outside 0..255 are clamped to it.
std::uint32_t JoinColour(const Rgb& colour);

// A picture as plain colour values (0x00BBGGRR), row by row from the top.
class RgbBuffer {
public:
    RgbBuffer() = default;
    // Throws OptError for a negative size.
    RgbBuffer(int width, int height, std::uint32_t fill = 0);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // Both throw OptError for a pixel outside the picture.
    std::uint32_t Get(int x, int y) const;
    void Set(int x, int y, std::uint32_t value);
    std::vector<std::uint32_t>& Pixels() { return pixels_; }
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }

private:
    std::size_t Index(int x, int y) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

inline constexpr std::uint32_t kMarkColour = 0x00FF00FF; // magenta

// Marks in magenta every pixel of the texWidth x texHeight texture area (clipped to the
// buffer, so a texture larger than the pane marks only its visible part and a smaller one
// nothing outside itself) that is similar to colour, reading the picture as it is now, marks
// included; x is the outer loop, y the inner.
void MarkSimilarPixels(RgbBuffer& display, int texWidth, int texHeight, const Rgb& colour, int tolerance);

// display = holder, then every picked colour marked in list order.
void RemarkPickedColours(RgbBuffer& display, const RgbBuffer& holder, int texWidth, int texHeight,
                         const std::vector<Rgb>& picked, int tolerance);

} // namespace lathwork
