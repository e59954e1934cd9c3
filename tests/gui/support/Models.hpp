#pragma once

#include "testkit/OptBuilder.hpp"

#include <cstdint>
#include <vector>

// Small models the window tests scan, preview and rewrite.
namespace models {

using namespace lathwork::testkit;

// TEX00001 (leaf), tex00002 (lower case: never listed), TEX00003 (has a child), set 1
// {TEX00010, TEX00011}, set 2 {TEX00020, reference TEX00021}, one-member set {TEX00030}.
inline ModelShape Mixed()
{
    TextureShape withChild = MakeTexture("TEX00003");
    withChild.childCount = 1;
    SetShape first;
    first.members = {MakeTexture("TEX00010"), MakeTexture("TEX00011")};
    SetShape second;
    second.members = {MakeTexture("TEX00020"), TextureRefShape{"TEX00021"}};
    SetShape single;
    single.members = {MakeTexture("TEX00030")};
    return SimpleModel({MakeTexture("TEX00001"), MakeTexture("tex00002"), withChild, first, second, single});
}

// One texture of the given size whose palette row 7 holds colours (entry i = colours[i]) and
// whose pixels are the entries given, row by row.
inline TextureShape Painted(const char* name, int width, int height, const std::vector<std::uint16_t>& colours,
                           const Bytes& pixels)
{
    std::map<int, std::uint16_t> entries;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        entries[static_cast<int>(i)] = colours[i];
    }
    TextureShape t = MakeTexture(name, width, height);
    t.ownPalette = PaletteWithRow7(entries);
    t.pixels = pixels;
    return t;
}

// A 5-6-5 entry for 8-bit channels that are multiples of 8, 4 and 8.
constexpr std::uint16_t Entry(int red, int green, int blue)
{
    return static_cast<std::uint16_t>((red / 8) << 11 | (green / 4) << 5 | (blue / 8));
}

} // namespace models
