#include "SampleModel.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace lathwork::sample {

namespace {

using testkit::Bytes;

struct Colour {
    double r, g, b; // 0..255
};

// A 5-6-5 colour entry from 8-bit channels.
std::uint16_t Pack(Colour c)
{
    const auto clamp = [](double v) { return std::clamp(v, 0.0, 255.0); };
    const auto r = static_cast<std::uint16_t>(clamp(c.r) * 31.0 / 255.0 + 0.5);
    const auto g = static_cast<std::uint16_t>(clamp(c.g) * 63.0 / 255.0 + 0.5);
    const auto b = static_cast<std::uint16_t>(clamp(c.b) * 31.0 / 255.0 + 0.5);
    return static_cast<std::uint16_t>(r << 11 | g << 5 | b);
}

// 256 colours along the stops, entry 0 at the first stop and 255 at the last.
std::vector<Colour> Ramp(const std::vector<Colour>& stops)
{
    std::vector<Colour> colours(256);
    const auto segments = static_cast<double>(stops.size() - 1);
    for (int i = 0; i < 256; ++i) {
        const double at = i / 255.0 * segments;
        const auto k = std::min(static_cast<std::size_t>(at), stops.size() - 2);
        const double t = at - static_cast<double>(k);
        const Colour& a = stops[k];
        const Colour& b = stops[k + 1];
        colours[static_cast<std::size_t>(i)] = {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
    }
    return colours;
}

// Row 7 holds the colours; rows 0-6 darken them towards shadow, rows 8-15 lighten them.
Bytes Palette(const std::vector<Colour>& colours)
{
    Bytes palette(8192);
    for (int row = 0; row < 16; ++row) {
        const double light = row <= 7 ? (row + 1) / 8.0 : 1.0;
        const double lift = row <= 7 ? 0.0 : (row - 7) / 12.0;
        for (int i = 0; i < 256; ++i) {
            const Colour& c = colours[static_cast<std::size_t>(i)];
            const Colour lit{c.r * light + (255 - c.r) * lift, c.g * light + (255 - c.g) * lift,
                             c.b * light + (255 - c.b) * lift};
            const std::uint16_t v = Pack(lit);
            palette[static_cast<std::size_t>(row * 512 + 2 * i)] = static_cast<std::uint8_t>(v);
            palette[static_cast<std::size_t>(row * 512 + 2 * i + 1)] = static_cast<std::uint8_t>(v >> 8);
        }
    }
    return palette;
}

// A small fixed noise so surfaces do not look flat.
int Grain(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2147483647u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) % 9) - 4;
}

Bytes Pixels(int width, int height, const std::function<int(int x, int y)>& index)
{
    Bytes pixels(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y * width + x)] = static_cast<std::uint8_t>(std::clamp(index(x, y), 0, 255));
        }
    }
    return pixels;
}

testkit::TextureShape Texture(const char* name, int width, int height, const std::function<int(int, int)>& index,
                             const std::vector<Colour>& stops)
{
    testkit::TextureShape t;
    t.name = name;
    t.width = width;
    t.height = height;
    t.pixels = Pixels(width, height, index);
    t.ownPalette = Palette(Ramp(stops));
    return t;
}

const std::vector<Colour> kSteel{{20, 24, 32}, {80, 88, 100}, {150, 158, 170}, {225, 230, 238}};

testkit::TextureShape HullPlating()
{
    return Texture("TEX00001", 64, 64, [](int x, int y) {
        const bool seam = x % 32 == 0 || y % 16 == 0;
        const bool rivet = (x % 32 == 3 || x % 32 == 28) && y % 16 == 3;
        const int panel = 150 + ((x / 32 + y / 16) % 2) * 30 - y / 2 + Grain(x, y, 1) * 3;
        return seam ? 40 : rivet ? 245 : panel;
    }, kSteel);
}

testkit::TextureShape CockpitGlass()
{
    return Texture("TEX00002", 64, 32, [](int x, int y) {
        const int sky = 60 + y * 4;
        const bool glint = std::abs((x - 2 * y) - 20) < 4;
        const bool frame = x < 2 || x > 61 || y < 2 || y > 29 || x == 32;
        return frame ? 10 : glint ? 250 : sky + Grain(x, y, 2) * 2;
    }, {{4, 12, 40}, {20, 60, 140}, {90, 170, 230}, {240, 250, 255}});
}

testkit::TextureShape EngineGlow()
{
    return Texture("TEX00003", 32, 32, [](int x, int y) {
        const double d = std::hypot(x - 15.5, y - 15.5);
        return static_cast<int>(255 - d * 16) + Grain(x, y, 3);
    }, {{10, 4, 2}, {140, 30, 10}, {250, 140, 30}, {255, 250, 200}});
}

testkit::TextureShape WingStripes()
{
    // 30 pixels wide: rows that are not a multiple of 4 bytes long.
    return Texture("TEX00004", 30, 60, [](int x, int y) {
        const bool stripe = (y / 10) % 2 == 0;
        const bool line = x == 0 || x == 29 || y % 20 == 19;
        return line ? 30 : stripe ? 200 + Grain(x, y, 4) : 110 + Grain(x, y, 5);
    }, {{15, 15, 20}, {120, 120, 130}, {180, 30, 30}, {240, 240, 240}});
}

testkit::TextureShape WindowLights()
{
    // Dark hull with yellow windows: the windows are the colours to make self-lit.
    return Texture("TEX00005", 64, 64, [](int x, int y) {
        const bool window = x % 8 >= 2 && x % 8 <= 5 && y % 16 >= 6 && y % 16 <= 9;
        return window ? 230 + (x % 8) : 40 + y / 4 + Grain(x, y, 6);
    }, {{10, 12, 18}, {50, 55, 70}, {90, 90, 100}, {255, 210, 60}, {255, 245, 170}});
}

testkit::TextureShape Insignia()
{
    return Texture("TEX00006", 32, 32, [](int x, int y) {
        const double d = std::hypot(x - 15.5, y - 15.5);
        const bool star = std::abs(x - 15.5) < 2.5 || std::abs(y - 15.5) < 2.5;
        return d > 15 ? 0 : d > 13 ? 250 : star ? 180 : 90;
    }, {{0, 0, 0}, {20, 40, 120}, {200, 40, 40}, {250, 250, 250}});
}

// A beacon of frames frame-count: the light moves round the ring.
testkit::TextureShape Beacon(const char* name, int frame, int frames)
{
    return Texture(name, 16, 16, [frame, frames](int x, int y) {
        const double angle = std::atan2(y - 7.5, x - 7.5) + 3.14159265;
        const int lit = static_cast<int>(angle / (2 * 3.14159265) * frames) % frames;
        const double d = std::hypot(x - 7.5, y - 7.5);
        return d > 7.5 ? 10 : lit == frame ? 250 : 80 + static_cast<int>(d * 5);
    }, {{5, 5, 8}, {60, 10, 10}, {255, 60, 40}, {255, 230, 200}});
}

testkit::TextureShape Scanner(const char* name, int frame)
{
    return Texture(name, 32, 8, [frame](int x, int y) {
        const int beam = frame * 10 + 4;
        return std::abs(x - beam) < 3 ? 240 - y * 4 : 30 + Grain(x, y, 7);
    }, {{4, 10, 4}, {20, 80, 30}, {80, 240, 120}, {220, 255, 220}});
}

// Two textures sharing palette 0 of the model.
testkit::TextureShape SharedPanel(const char* name, int seed)
{
    testkit::TextureShape t;
    t.name = name;
    t.width = 32;
    t.height = 32;
    t.pixels = Pixels(32, 32, [seed](int x, int y) { return ((x / 8 + y / 8 + seed) % 2) * 90 + 80 + Grain(x, y, seed) * 4; });
    t.sharedPalette = 0;
    return t;
}

} // namespace

testkit::BuiltModel BuildSampleModel()
{
    testkit::ModelShape tree;
    tree.globalOffset = 0x00200000;
    tree.palettes.push_back(Palette(Ramp({{30, 20, 10}, {120, 90, 50}, {200, 170, 110}})));

    testkit::PartShape high;
    high.leaves.push_back(HullPlating());
    high.leaves.push_back(CockpitGlass());
    high.leaves.push_back(EngineGlow());
    high.leaves.push_back(WingStripes());
    high.leaves.push_back(WindowLights());
    high.leaves.push_back(Insignia());
    high.leaves.push_back(SharedPanel("TEX00007", 0));
    high.leaves.push_back(SharedPanel("TEX00008", 1));
    testkit::SetShape beacon;
    beacon.members = {Beacon("TEX00010", 0, 3), Beacon("TEX00011", 1, 3), Beacon("TEX00012", 2, 3)};
    high.leaves.push_back(beacon);
    testkit::SetShape scanner;
    scanner.members = {Scanner("TEX00020", 0), Scanner("TEX00021", 1), Scanner("TEX00022", 2)};
    high.leaves.push_back(scanner);
    testkit::SetShape single;
    single.members = {Insignia()};
    std::get<testkit::TextureShape>(single.members.front()).name = "TEX00030";
    high.leaves.push_back(single);

    // The far detail level: the hull and the engines only.
    testkit::PartShape low;
    testkit::TextureShape farHull = HullPlating();
    farHull.name = "TEX00040";
    low.leaves.push_back(farHull);
    testkit::TextureShape farGlow = EngineGlow();
    farGlow.name = "TEX00041";
    low.leaves.push_back(farGlow);

    testkit::GroupShape group;
    group.branch.parts = {high, low};
    group.branch.distances = {3.413533e-05f, 6.467e-05f}; // 2 km and 1 km
    tree.tops.push_back(testkit::TopShape{{group}});
    return testkit::Build(tree);
}

} // namespace lathwork::sample
