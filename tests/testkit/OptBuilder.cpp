#include "testkit/OptBuilder.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <stdexcept>

namespace lathwork::testkit {

namespace {

class Writer {
public:
    explicit Writer(std::int32_t g, BuiltModel& out) : g_(g), out_(out) {}

    Bytes& bytes() { return out_.bytes; }
    std::int32_t Here() const { return static_cast<std::int32_t>(out_.bytes.size()); }
    std::int32_t Ptr(std::int32_t offset) const { return offset + g_; }

    std::int32_t Reserve(std::size_t n)
    {
        const std::int32_t at = Here();
        out_.bytes.resize(out_.bytes.size() + n, 0);
        return at;
    }
    void Long(std::int32_t at, std::int32_t v) { SetLong(out_.bytes, static_cast<std::size_t>(at), v); }
    void Append(const Bytes& b) { out_.bytes.insert(out_.bytes.end(), b.begin(), b.end()); }
    void Name(std::int32_t at, const std::string& name)
    {
        const std::string n = Name8(name);
        std::memcpy(out_.bytes.data() + at, n.data(), 8);
    }

    std::int32_t Texture(const TextureShape& t, std::vector<std::int32_t>& paletteFixups)
    {
        Bytes pixels = t.pixels;
        if (pixels.empty()) {
            pixels.resize(static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height));
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                pixels[i] = static_cast<std::uint8_t>(i);
            }
        }
        const std::int32_t c = t.childCount;
        const std::int32_t x = Reserve(57 + 4 * static_cast<std::size_t>(c > 0 ? c : 0));
        const std::int32_t shift = 4 * (c > 0 ? c : 0);
        Long(x + 0, Ptr(x + 24));                // a stored pointer (to the name)
        Long(x + 4, 20);
        Long(x + 8, c);
        Long(x + 12, c > 0 ? Ptr(x + 33) : 0);
        Long(x + 20, Ptr(x + 24));
        Name(x + 24, t.name);
        const auto dataSize = static_cast<std::int32_t>(pixels.size());
        Long(x + 41 + shift, t.imageSize.value_or(dataSize));
        Long(x + 45 + shift, dataSize);
        Long(x + 49 + shift, t.width);
        Long(x + 53 + shift, t.height);
        Append(pixels);
        if (t.sharedPalette >= 0) {
            paletteFixups.push_back(x + 33 + shift);
            Long(x + 33 + shift, t.sharedPalette); // replaced once the palettes are laid out
        } else {
            const std::int32_t palette = Here();
            Append(t.ownPalette.empty() ? MakePalette(static_cast<std::uint32_t>(std::hash<std::string>{}(t.name))) : t.ownPalette);
            Long(x + 33 + shift, Ptr(palette));
        }
        if (c == 1) {
            const std::int32_t a = Reserve(24);
            Long(a + 4, 26);
            Long(a + 16, dataSize);
            Long(a + 20, Ptr(a + 24));
            out_.bytes.resize(out_.bytes.size() + pixels.size(), t.alphaFill);
            Long(x + 33, Ptr(a));
        }
        out_.textures.push_back(x);
        out_.texturesByName.emplace(t.name, x);
        return x;
    }

    std::int32_t Ref(const TextureRefShape& r)
    {
        const std::int32_t x = Reserve(32);
        Long(x + 4, 7);
        Long(x + 20, Ptr(x + 24));
        Name(x + 24, r.name);
        return x;
    }

    std::int32_t Raw(std::int32_t type)
    {
        const std::int32_t x = Reserve(24);
        Long(x + 4, type);
        Long(x + 20, Ptr(x));
        return x;
    }

    std::int32_t Member(const MemberShape& m, std::vector<std::int32_t>& fix)
    {
        if (const auto* t = std::get_if<TextureShape>(&m)) {
            return Texture(*t, fix);
        }
        if (const auto* r = std::get_if<TextureRefShape>(&m)) {
            return Ref(*r);
        }
        return Raw(std::get<RawLeafShape>(m).type);
    }

    std::int32_t Set(const SetShape& s, std::vector<std::int32_t>& fix)
    {
        const auto n = static_cast<std::int32_t>(s.members.size());
        const std::int32_t x = Reserve(24 + 4 * static_cast<std::size_t>(n));
        Long(x + 4, 24);
        Long(x + 8, s.count.value_or(n));
        Long(x + 12, Ptr(x + 24));
        Long(x + 16, s.mode);
        Long(x + 20, 0x5E7);
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t member = Member(s.members[static_cast<std::size_t>(i)], fix);
            Long(x + 24 + 4 * i, Ptr(member));
        }
        out_.sets.push_back(x);
        return x;
    }

    std::int32_t Part(const PartShape& p, std::vector<std::int32_t>& fix)
    {
        const auto n = static_cast<std::int32_t>(p.leaves.size());
        const std::int32_t x = Reserve(24 + 4 * static_cast<std::size_t>(n));
        Long(x + 4, 2);
        Long(x + 8, n);
        Long(x + 12, Ptr(x + 24));
        out_.parts.push_back(x);
        for (std::int32_t m = 0; m < n; ++m) {
            const LeafShape& leaf = p.leaves[static_cast<std::size_t>(m)];
            std::int32_t child = -1;
            if (const auto* t = std::get_if<TextureShape>(&leaf)) {
                child = Texture(*t, fix);
            } else if (const auto* s = std::get_if<SetShape>(&leaf)) {
                child = Set(*s, fix);
            } else if (const auto* r = std::get_if<RawLeafShape>(&leaf)) {
                child = Raw(r->type);
            }
            Long(x + 24 + 4 * m, child < 0 ? 0 : Ptr(child));
        }
        return x;
    }

    std::int32_t Branch(const BranchShape& b, std::vector<std::int32_t>& fix)
    {
        const auto n = static_cast<std::int32_t>(std::max(b.parts.size(), b.distances.size()));
        const std::int32_t x = Reserve(24);
        Long(x + 4, 21);
        Long(x + 8, n);
        const std::int32_t table = Reserve(4 * static_cast<std::size_t>(n));
        const std::int32_t distances = Reserve(4 * static_cast<std::size_t>(n));
        Long(x + 12, Ptr(table));
        Long(x + 20, Ptr(distances));
        for (std::int32_t k = 0; k < n; ++k) {
            const float d = static_cast<std::size_t>(k) < b.distances.size() ? b.distances[static_cast<std::size_t>(k)] : 0.0f;
            std::uint32_t bits = 0;
            std::memcpy(&bits, &d, 4);
            Long(distances + 4 * k, static_cast<std::int32_t>(bits));
        }
        out_.branches.push_back(x);
        for (std::int32_t k = 0; k < n; ++k) {
            // A branch with more distances than parts points its spare entries at an empty part.
            const PartShape empty;
            const PartShape& part = static_cast<std::size_t>(k) < b.parts.size() ? b.parts[static_cast<std::size_t>(k)] : empty;
            Long(table + 4 * k, Ptr(Part(part, fix)));
        }
        return x;
    }

    std::int32_t Group(const GroupShape& gs, std::vector<std::int32_t>& fix)
    {
        const std::int32_t x = Reserve(40);
        Long(x + 4, 0);
        Long(x + 8, gs.selector);
        Long(x + 12, Ptr(x + 24));
        out_.groups.push_back(x);
        const std::int32_t branch = Branch(gs.branch, fix);
        std::int32_t slot = 20;
        switch (gs.selector) {
        case 1: slot = 24; break;
        case 3: slot = 32; break;
        case 4: slot = 36; break;
        default: break;
        }
        Long(x + slot, Ptr(branch));
        return x;
    }

    std::int32_t Top(const TopShape& t, std::vector<std::int32_t>& fix)
    {
        const auto n = static_cast<std::int32_t>(t.children.size());
        const std::int32_t x = Reserve(24 + 4 * static_cast<std::size_t>(n));
        Long(x + 4, 1000);
        Long(x + 8, n);
        Long(x + 12, Ptr(x + 24));
        out_.tops.push_back(x);
        for (std::int32_t j = 0; j < n; ++j) {
            const TopChildShape& child = t.children[static_cast<std::size_t>(j)];
            std::int32_t c = -1;
            if (const auto* gs = std::get_if<GroupShape>(&child)) {
                c = Group(*gs, fix);
            } else if (const auto* o = std::get_if<OtherChildShape>(&child)) {
                c = Raw(o->type);
            }
            Long(x + 24 + 4 * j, c < 0 ? 0 : Ptr(c));
        }
        return x;
    }

private:
    std::int32_t g_;
    BuiltModel& out_;
};

} // namespace

std::string Name8(const std::string& name)
{
    if (name.size() > 8) {
        throw std::invalid_argument("texture names hold at most 8 bytes: " + name);
    }
    std::string padded = name;
    padded.resize(8, '\0');
    return padded;
}

std::int32_t GetLong(const Bytes& b, std::size_t o)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b.at(o)) | static_cast<std::uint32_t>(b.at(o + 1)) << 8 |
                                     static_cast<std::uint32_t>(b.at(o + 2)) << 16 | static_cast<std::uint32_t>(b.at(o + 3)) << 24);
}

void SetLong(Bytes& b, std::size_t o, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        b.at(o + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

float GetSingle(const Bytes& b, std::size_t o)
{
    const auto v = static_cast<std::uint32_t>(GetLong(b, o));
    float f = 0;
    std::memcpy(&f, &v, 4);
    return f;
}

std::int32_t BuiltModel::Texture(const std::string& name, std::size_t which) const
{
    auto [first, last] = texturesByName.equal_range(name);
    for (; first != last; ++first) {
        if (which-- == 0) {
            return first->second;
        }
    }
    throw std::out_of_range("no texture named " + name);
}

BuiltModel Build(const ModelShape& tree)
{
    BuiltModel out;
    out.globalOffset = tree.globalOffset;
    Writer w(tree.globalOffset, out);
    const auto tops = static_cast<std::int32_t>(tree.tops.size());
    w.Reserve(22 + 4 * static_cast<std::size_t>(tops));
    w.Long(0, 0x4F505446);                     // never read
    w.Long(8, tree.globalOffset + 8);           // PointerBase
    w.Long(14, tops);
    std::vector<std::int32_t> paletteFixups;
    for (std::int32_t i = 0; i < tops; ++i) {
        const std::int32_t top = w.Top(tree.tops[static_cast<std::size_t>(i)], paletteFixups);
        w.Long(22 + 4 * i, w.Ptr(top));
    }
    w.Long(18, tops > 0 ? w.Ptr(out.tops.front()) : 0);
    for (const Bytes& palette : tree.palettes) {
        out.sharedPalettes.push_back(w.Here());
        w.Append(palette);
    }
    for (const std::int32_t slot : paletteFixups) {
        const std::int32_t index = GetLong(out.bytes, static_cast<std::size_t>(slot));
        w.Long(slot, w.Ptr(out.sharedPalettes.at(static_cast<std::size_t>(index))));
    }
    w.Long(4, w.Here() - 8);                    // BodyLength
    return out;
}

ModelShape SimpleModel(std::vector<LeafShape> leaves, std::int32_t globalOffset)
{
    ModelShape tree;
    tree.globalOffset = globalOffset;
    GroupShape group;
    group.branch.parts.push_back(PartShape{std::move(leaves)});
    group.branch.distances = {3.413533e-05f};
    tree.tops.push_back(TopShape{{group}});
    return tree;
}

Bytes MakePalette(std::uint32_t seed)
{
    Bytes palette(8192);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (int row = 0; row < 16; ++row) {
        for (int i = 0; i < 256; ++i) {
            state = state * 1664525u + 1013904223u;
            const std::uint16_t base = static_cast<std::uint16_t>(state >> 16);
            // Lighting rows darken the colour; row 7 is the colour itself.
            const std::uint16_t v = row == 7 ? base : static_cast<std::uint16_t>(base ^ (row + 1) * 0x0841);
            palette[static_cast<std::size_t>(row * 512 + 2 * i)] = static_cast<std::uint8_t>(v);
            palette[static_cast<std::size_t>(row * 512 + 2 * i + 1)] = static_cast<std::uint8_t>(v >> 8);
        }
    }
    return palette;
}

Bytes PaletteWithRow7(const std::map<int, std::uint16_t>& entries)
{
    Bytes palette(8192);
    for (std::size_t i = 0; i < palette.size(); i += 2) {
        palette[i] = 0x11;
        palette[i + 1] = 0x11;
    }
    for (std::size_t i = 3584; i < 4096; ++i) {
        palette[i] = 0;
    }
    for (const auto& [index, value] : entries) {
        palette[static_cast<std::size_t>(3584 + 2 * index)] = static_cast<std::uint8_t>(value);
        palette[static_cast<std::size_t>(3584 + 2 * index + 1)] = static_cast<std::uint8_t>(value >> 8);
    }
    return palette;
}

TextureShape MakeTexture(const std::string& name, std::int32_t width, std::int32_t height, int sharedPalette)
{
    TextureShape t;
    t.name = name;
    t.width = width;
    t.height = height;
    t.sharedPalette = sharedPalette;
    return t;
}

ModelShape GenerateLargeModel(int textureCount, std::uint32_t seed)
{
    ModelShape tree;
    tree.globalOffset = 0x00A00000;
    for (int p = 0; p < 16; ++p) {
        tree.palettes.push_back(MakePalette(seed * 100 + static_cast<std::uint32_t>(p)));
    }
    GroupShape group;
    group.branch.distances = {6.467e-05f, 3.414e-05f};
    PartShape part;
    int made = 0;
    while (made < textureCount) {
        char name[9];
        std::snprintf(name, sizeof name, "TEX%05d", made % 100000);
        TextureShape t = MakeTexture(name, 96, 96, made % 2 == 0 ? -1 : made % 16);
        if (made % 64 == 63 && made + 1 < textureCount) {
            // Every 64th leaf is an animatable set of two textures.
            SetShape set;
            set.members.push_back(t);
            std::snprintf(name, sizeof name, "TEX%05d", (made + 1) % 100000);
            set.members.push_back(MakeTexture(name, 96, 96, (made + 1) % 16));
            part.leaves.push_back(set);
            made += 2;
        } else {
            part.leaves.push_back(t);
            ++made;
        }
        if (part.leaves.size() == 8) {
            group.branch.parts.push_back(std::move(part));
            part = PartShape{};
        }
    }
    if (!part.leaves.empty()) {
        group.branch.parts.push_back(std::move(part));
    }
    tree.tops.push_back(TopShape{{group}});
    return tree;
}

ModelShape GenerateRepeatedNamesModel(int textureCount, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    ModelShape tree;
    tree.globalOffset = 0x00A00000;
    for (int p = 0; p < 16; ++p) {
        tree.palettes.push_back(MakePalette(seed * 100 + static_cast<std::uint32_t>(p)));
    }
    int made = 0;
    auto texture = [&] {
        char name[9];
        std::snprintf(name, sizeof name, "TEX%05d", pick(0, std::max(textureCount / 4, 1)));
        const int sides[] = {64, 96, 128};
        TextureShape t = MakeTexture(pick(0, 2) == 0 ? "Tex" : name, sides[pick(0, 2)], sides[pick(0, 2)],
                                     pick(0, 1) == 0 ? -1 : pick(0, 15));
        t.childCount = pick(0, 19) == 0 ? 1 : 0;
        ++made;
        return t;
    };
    auto leaf = [&]() -> LeafShape {
        const int kind = pick(0, 19);
        if (kind < 14) {
            return texture();
        }
        if (kind < 17) {
            SetShape set;
            set.mode = pick(0, 1);
            const int members = pick(1, 4);
            for (int i = 0; i < members; ++i) {
                if (pick(0, 4) == 0 && members > 1) {
                    set.members.push_back(TextureRefShape{"Tex"});
                } else {
                    set.members.push_back(texture());
                }
            }
            return set;
        }
        if (kind < 19) {
            return RawLeafShape{1};
        }
        return NullShape{};
    };
    while (made < textureCount) {
        TopShape top;
        for (int groups = pick(1, 3); groups > 0 && made < textureCount; --groups) {
            const int selectors[] = {0, 1, 2, 3, 4, 5};
            GroupShape group;
            group.selector = selectors[pick(0, 5)];
            for (int parts = pick(1, 8); parts > 0 && made < textureCount; --parts) {
                PartShape part;
                for (int leaves = pick(1, 12); leaves > 0 && made < textureCount; --leaves) {
                    part.leaves.push_back(leaf());
                }
                group.branch.parts.push_back(std::move(part));
            }
            group.branch.distances = {6.467e-05f, 3.414e-05f};
            top.children.push_back(std::move(group));
            if (pick(0, 3) == 0) {
                top.children.push_back(NullShape{});
            }
        }
        tree.tops.push_back(std::move(top));
    }
    return tree;
}

} // namespace lathwork::testkit
