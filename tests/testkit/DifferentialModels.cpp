#include "testkit/DifferentialModels.hpp"

#include "opt/OptError.hpp"
#include "testkit/RewriteFixtures.hpp"

#include <algorithm>

namespace lathwork::testkit {

namespace {

const std::vector<std::string> kNames = {"TexA", "TexB", "TEXC", "TexD0001", "texE", "Tex"};

int Pick(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

bool Chance(std::mt19937& rng, int percent)
{
    return Pick(rng, 0, 99) < percent;
}

struct Generator {
    std::mt19937& rng;
    bool odd;
    int palettes;

    TextureShape Texture()
    {
        TextureShape t;
        t.name = kNames[static_cast<std::size_t>(Pick(rng, 0, static_cast<int>(kNames.size()) - 1))];
        t.width = Pick(rng, 1, 12);
        t.height = Pick(rng, 1, 12);
        t.pixels.resize(static_cast<std::size_t>(t.width * t.height));
        const int spread = Pick(rng, 1, 255);
        for (auto& p : t.pixels) {
            p = static_cast<std::uint8_t>(Pick(rng, 0, spread));
        }
        if (palettes > 0 && Chance(rng, 50)) {
            t.sharedPalette = Pick(rng, 0, palettes - 1);
        } else {
            t.ownPalette = MakePalette(static_cast<std::uint32_t>(rng()));
        }
        const int c = Pick(rng, 0, 99);
        t.childCount = c < 70 ? 0 : (c < 95 || !odd ? 1 : 2);
        t.alphaFill = static_cast<std::uint8_t>(Pick(rng, 0, 255));
        return t;
    }

    SetShape Set()
    {
        SetShape s;
        const int mode = Pick(rng, 0, 9);
        s.mode = mode < 4 ? 0 : (mode < 8 ? 1 : 2);
        const int members = Pick(rng, 0, 99) < 30 ? 1 : Pick(rng, 0, 3);
        for (int i = 0; i < members; ++i) {
            const int kind = Pick(rng, 0, 9);
            if (kind < 6 || (members == 1 && !odd)) {
                s.members.push_back(Texture());
            } else if (kind < 8) {
                s.members.push_back(TextureRefShape{kNames[static_cast<std::size_t>(Pick(rng, 0, 5))]});
            } else {
                s.members.push_back(RawLeafShape{1});
            }
        }
        if (odd && Chance(rng, 15) && !s.members.empty()) {
            s.count = Pick(rng, 0, static_cast<int>(s.members.size()));
        }
        return s;
    }

    PartShape Part()
    {
        PartShape p;
        const int leaves = Pick(rng, 0, 5);
        for (int i = 0; i < leaves; ++i) {
            const int kind = Pick(rng, 0, 19);
            if (kind < 11) {
                p.leaves.push_back(Texture());
            } else if (kind < 15) {
                p.leaves.push_back(Set());
            } else if (kind < 17) {
                p.leaves.push_back(RawLeafShape{kind == 15 ? 1 : 9});
            } else {
                p.leaves.push_back(NullShape{});
            }
        }
        return p;
    }

    TopShape Top()
    {
        TopShape top;
        const int children = Pick(rng, 1, 3);
        for (int i = 0; i < children; ++i) {
            const int kind = Pick(rng, 0, 9);
            if (kind < 7) {
                GroupShape g;
                const int selectors[] = {0, 1, 2, 3, 4, 5, -1};
                g.selector = selectors[Pick(rng, 0, 6)];
                const int parts = Pick(rng, 0, 3);
                for (int k = 0; k < parts; ++k) {
                    g.branch.parts.push_back(Part());
                }
                g.branch.distances.resize(static_cast<std::size_t>(Pick(rng, 0, parts + 1)), 1.5e-05f);
                top.children.push_back(g);
            } else if (kind < 9) {
                top.children.push_back(OtherChildShape{Pick(rng, 1, 5)});
            } else {
                top.children.push_back(NullShape{});
            }
        }
        return top;
    }
};

std::int32_t Long(const Bytes& b, std::int64_t offset)
{
    return GetLong(b, static_cast<std::size_t>(offset));
}

// Texture nodes with c = 0 or 1, as the builder placed them.
std::vector<std::int32_t> PlainTextures(const BuiltModel& m)
{
    std::vector<std::int32_t> out;
    for (const std::int32_t x : m.textures) {
        const std::int32_t c = Long(m.bytes, x + 8);
        if (c == 0 || c == 1) {
            out.push_back(x);
        }
    }
    return out;
}

std::int32_t PaletteSlot(const BuiltModel& m, std::int32_t x)
{
    return x + 33 + 4 * Long(m.bytes, x + 8);
}

std::int32_t PixelEnd(const BuiltModel& m, std::int32_t x)
{
    const std::int32_t s = 4 * Long(m.bytes, x + 8);
    return x + 57 + s + Long(m.bytes, x + 45 + s);
}

// Slots of a part's table whose leaf is a texture.
std::vector<std::pair<std::int32_t, std::int32_t>> PartTextureSlots(const BuiltModel& m, std::int32_t part)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> out;
    for (std::int32_t i = 0; i < Long(m.bytes, part + 8); ++i) {
        const std::int32_t slot = part + 24 + 4 * i;
        const std::int32_t value = Long(m.bytes, slot);
        if (value != 0 && Long(m.bytes, value - m.globalOffset + 4) == 20) {
            out.push_back({slot, value - m.globalOffset});
        }
    }
    return out;
}

template <typename T>
const T& Any(std::mt19937& rng, const std::vector<T>& items)
{
    return items[static_cast<std::size_t>(Pick(rng, 0, static_cast<int>(items.size()) - 1))];
}

bool Mutate(std::mt19937& rng, BuiltModel& m, Mutation mutation)
{
    const auto textures = PlainTextures(m);
    const auto length = static_cast<std::int32_t>(m.bytes.size());
    const std::int32_t g = m.globalOffset;
    switch (mutation) {
    case Mutation::None: return true;
    case Mutation::TextureReachedTwice: {
        // Parts come in file order; a slot of an earlier part may lead to a later part's texture.
        for (std::size_t a = 0; a + 1 < m.parts.size(); ++a) {
            const std::int32_t partA = m.parts[a];
            if (Long(m.bytes, partA + 8) == 0) {
                continue;
            }
            for (std::size_t b = a + 1; b < m.parts.size(); ++b) {
                const auto later = PartTextureSlots(m, m.parts[b]);
                if (!later.empty()) {
                    const std::int32_t slot = partA + 24 + 4 * Pick(rng, 0, Long(m.bytes, partA + 8) - 1);
                    SetLong(m.bytes, static_cast<std::size_t>(slot), Any(rng, later).second + g);
                    return true;
                }
            }
        }
        return false;
    }
    case Mutation::OwnedPaletteShared: {
        std::vector<std::int32_t> owners;
        for (const std::int32_t x : textures) {
            if (Long(m.bytes, PaletteSlot(m, x)) - g == PixelEnd(m, x)) {
                owners.push_back(x);
            }
        }
        if (owners.empty() || textures.size() < 2) {
            return false;
        }
        const std::int32_t owner = Any(rng, owners);
        for (int tries = 0; tries < 4; ++tries) {
            const std::int32_t user = Any(rng, textures);
            if (user != owner) {
                SetLong(m.bytes, static_cast<std::size_t>(PaletteSlot(m, user)), PixelEnd(m, owner) + g);
            }
        }
        return true;
    }
    case Mutation::PointersPastTheEnd:
    case Mutation::StrayPointers: {
        if (textures.empty()) {
            return false;
        }
        for (int i = 0; i < 12; ++i) {
            const std::int32_t x = Any(rng, textures);
            const std::int32_t slot = Chance(rng, 50) ? x : x + 20;
            // Mostly just past the end, where the first insertions reach them.
            const std::int32_t past = Chance(rng, 70) ? Pick(rng, 1, 64) : Pick(rng, 0, 30000);
            const std::int32_t target = mutation == Mutation::PointersPastTheEnd ? length + past : Pick(rng, -50, length);
            SetLong(m.bytes, static_cast<std::size_t>(slot), target + g);
        }
        if (mutation == Mutation::PointersPastTheEnd) {
            SetLong(m.bytes, 18, length + Pick(rng, 0, 100) + g);
        }
        return true;
    }
    case Mutation::PointersTheGrowthReaches: {
        std::vector<std::int32_t> slots = {18};
        for (const std::int32_t x : textures) {
            slots.insert(slots.end(), {x, x + 20});
        }
        for (const auto& nodes : {m.parts, m.groups, m.tops}) {
            for (const std::int32_t node : nodes) {
                slots.push_back(node + 12);
            }
        }
        for (const std::int32_t slot : slots) {
            const std::int32_t past = Chance(rng, 60) ? Pick(rng, 0, 64) : Pick(rng, 0, 40000);
            SetLong(m.bytes, static_cast<std::size_t>(slot), length + past + g);
        }
        return true;
    }
    case Mutation::PartAfterItsTextures: {
        for (const std::int32_t branch : m.branches) {
            const std::int32_t table = Long(m.bytes, branch + 12) - g;
            for (std::int32_t k = 0; k < Long(m.bytes, branch + 8); ++k) {
                const std::int32_t part = Long(m.bytes, table + 4 * k) - g;
                if (PartTextureSlots(m, part).empty()) {
                    continue;
                }
                const auto size = static_cast<std::size_t>(24 + 4 * Long(m.bytes, part + 8));
                const Bytes copy(m.bytes.begin() + part, m.bytes.begin() + part + static_cast<std::ptrdiff_t>(size));
                SetLong(m.bytes, static_cast<std::size_t>(table + 4 * k), length + g);
                m.bytes.insert(m.bytes.end(), copy.begin(), copy.end());
                SetLong(m.bytes, static_cast<std::size_t>(length + 12), length + 24 + g);
                return true;
            }
        }
        return false;
    }
    case Mutation::PaletteInsidePixels: {
        for (const std::int32_t x : textures) {
            const std::int32_t into = PixelEnd(m, x) - 1;
            if (into + 8192 > length || Long(m.bytes, x + 8) != 0) {
                continue;
            }
            const std::int32_t user = Any(rng, textures);
            if (user != x) {
                SetLong(m.bytes, static_cast<std::size_t>(PaletteSlot(m, user)), into + g);
                return true;
            }
        }
        return false;
    }
    }
    return false;
}

} // namespace

std::string MutationName(Mutation mutation)
{
    switch (mutation) {
    case Mutation::None: return "none";
    case Mutation::TextureReachedTwice: return "texture reached twice";
    case Mutation::OwnedPaletteShared: return "owned palette shared";
    case Mutation::PointersPastTheEnd: return "pointers past the end";
    case Mutation::StrayPointers: return "stray pointers";
    case Mutation::PartAfterItsTextures: return "part after its textures";
    case Mutation::PaletteInsidePixels: return "palette inside pixels";
    case Mutation::PointersTheGrowthReaches: return "pointers the growth reaches";
    }
    return "?";
}

bool KeepsModelOnePass(Mutation mutation)
{
    return mutation != Mutation::PaletteInsidePixels;
}

RandomModel MakeRandomModel(std::mt19937& rng, Mutation mutation, bool oddShapes)
{
    ModelShape shape;
    const std::int32_t offsets[] = {0, 0x1000, 0x00A00000, -2000, 77};
    shape.globalOffset = offsets[Pick(rng, 0, 4)];
    const int palettes = Pick(rng, 0, 3);
    for (int p = 0; p < palettes; ++p) {
        shape.palettes.push_back(MakePalette(static_cast<std::uint32_t>(rng())));
    }
    Generator gen{rng, oddShapes, palettes};
    const int tops = Pick(rng, 1, 3);
    for (int i = 0; i < tops; ++i) {
        shape.tops.push_back(gen.Top());
    }
    BuiltModel m = Build(shape);
    RandomModel out;
    out.mutated = Mutate(rng, m, mutation);
    out.bytes = std::move(m.bytes);
    return out;
}

std::vector<TextureName> NamePool()
{
    std::vector<TextureName> pool;
    for (const std::string& name : kNames) {
        pool.push_back(Name8(name));
    }
    pool.push_back(Name8("TexZ"));
    return pool;
}

std::vector<TextureName> RandomNames(std::mt19937& rng)
{
    const auto pool = NamePool();
    std::vector<TextureName> names(static_cast<std::size_t>(Pick(rng, 0, 6)));
    for (auto& name : names) {
        name = Any(rng, pool);
    }
    return names;
}

ColourChoice RandomColours(std::mt19937& rng, const Bytes& bytes)
{
    ColourChoice colours;
    colours.customSelect = Chance(rng, 60);
    colours.tolerance = Chance(rng, 30) ? 0 : Pick(rng, 0, 80);
    std::vector<Bytes> rows;
    try {
        for (const TextureFacts& t : ReadWalkFacts(bytes).textures) {
            if (!t.palette.empty()) {
                rows.push_back(t.Row(7));
            }
        }
    } catch (const OptError&) {
        // a model the walk refuses: random colours only
    }
    const int count = Pick(rng, 0, 4);
    for (int i = 0; i < count; ++i) {
        if (!rows.empty() && Chance(rng, 70)) {
            const Bytes& row = Any(rng, rows);
            const auto j = static_cast<std::size_t>(2 * Pick(rng, 0, 255));
            const int v = row[j] | row[j + 1] << 8;
            colours.picked.push_back({(v >> 11) * 8, ((v >> 5) & 63) * 4, (v & 31) * 8});
        } else {
            colours.picked.push_back({Pick(rng, 0, 255), Pick(rng, 0, 255), Pick(rng, 0, 255)});
        }
    }
    return colours;
}

} // namespace lathwork::testkit
