#include "testkit/RewriteFixtures.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

#include <sstream>

namespace lathwork::testkit {

namespace {

std::string EightAt(const OptImage& image, std::int32_t g, std::int32_t slot)
{
    const auto bytes = image.View(FileOffsetOf(image.ReadLong(slot), g), 8);
    return {bytes.begin(), bytes.end()};
}

TextureFacts ReadTexture(const OptImage& image, std::int32_t g, std::int32_t x)
{
    TextureFacts t;
    t.node = x;
    t.name = ReadTextureName(image, x);
    t.childCount = image.ReadLong(x + 8);
    t.headTarget = EightAt(image, g, x);
    t.slot20Target = EightAt(image, g, x + 20);
    if (t.childCount != 0 && t.childCount != 1) {
        return t;
    }
    const std::int32_t s = 4 * t.childCount;
    t.paletteAt = FileOffsetOf(image.ReadLong(x + 33 + s), g);
    t.palette = image.ReadBytes(t.paletteAt, 8192);
    t.dataSize = image.ReadLong(x + 45 + s);
    t.width = image.ReadLong(x + 49 + s);
    t.height = image.ReadLong(x + 53 + s);
    t.pixels = image.ReadBytes(x + 57 + s, t.dataSize);
    if (t.childCount == 1) {
        t.alphaAt = FileOffsetOf(image.ReadLong(x + 33), g);
        const std::int32_t count = image.ReadLong(t.alphaAt + 16);
        t.opacities = image.ReadBytes(FileOffsetOf(image.ReadLong(t.alphaAt + 20), g), count);
    }
    return t;
}

} // namespace

WalkFacts ReadWalkFacts(const OptImage& image)
{
    using namespace layout;
    struct Facts : WalkVisitor {
        const OptImage& image;
        std::int32_t g;
        WalkFacts facts;
        Facts(const OptImage& i, std::int32_t globalOffset) : WalkVisitor(WalkDepth::SetMembers), image(i), g(globalOffset) {}
        void Branch(std::int32_t d) override
        {
            const std::int32_t table = FileOffsetOf(image.ReadLong(d + 20), g);
            for (std::int32_t k = 0; k < image.ReadLong(d + 8); ++k) {
                facts.distances.push_back(image.ReadSingle(table + 4 * k));
            }
        }
        void Texture(std::int32_t x, TextureRoute) override { facts.textures.push_back(ReadTexture(image, g, x)); }
        void SetMember(std::int32_t x, std::int32_t type) override
        {
            if (type == kTypeTextureRef) {
                facts.refNames.push_back(EightAt(image, g, x + 20));
            }
        }
    } facts(image, ReadPointerBase(image));
    NodeWalk(image, facts.g, facts);
    return facts.facts;
}

WalkFacts ReadWalkFacts(const Bytes& bytes)
{
    return ReadWalkFacts(OptImage(Bytes(bytes)));
}

std::string CompareStructure(const WalkFacts& before, const WalkFacts& after)
{
    std::ostringstream diff;
    if (before.textures.size() != after.textures.size()) {
        diff << "texture count " << before.textures.size() << " -> " << after.textures.size();
        return diff.str();
    }
    for (std::size_t i = 0; i < before.textures.size(); ++i) {
        const TextureFacts& a = before.textures[i];
        const TextureFacts& b = after.textures[i];
        const char* what = a.name != b.name                 ? "name"
                           : a.dataSize != b.dataSize       ? "DataSize"
                           : a.width != b.width             ? "width"
                           : a.height != b.height           ? "height"
                           : a.pixels != b.pixels           ? "pixels"
                           : a.headTarget != b.headTarget   ? "node+0 target"
                           : a.slot20Target != b.slot20Target ? "node+20 target"
                           : a.Row(7) != b.Row(7)           ? "palette row 7"
                                                            : nullptr;
        if (a.palette.empty() || b.palette.empty()) {
            what = a.name != b.name ? "name" : nullptr;
        }
        if (what != nullptr) {
            diff << "texture " << i << " (" << a.name.c_str() << "): " << what << " differs";
            return diff.str();
        }
    }
    if (before.refNames != after.refNames) {
        return "reference node targets differ";
    }
    if (before.distances != after.distances) {
        return "distance tables differ";
    }
    return "";
}

ModelShape RichModel()
{
    ModelShape tree;
    tree.globalOffset = 0x2000;
    tree.palettes = {MakePalette(7), MakePalette(8)};
    TextureShape withChild = MakeTexture("TexChild", 4, 2);
    withChild.childCount = 1;
    withChild.alphaFill = 77;
    GroupShape first;
    first.selector = 2;
    first.branch.parts.push_back(PartShape{{MakeTexture("TexOwn"), MakeTexture("TexShA", 4, 4, 0), NullShape{},
                                           RawLeafShape{1}, withChild}});
    first.branch.parts.push_back(PartShape{{
        SetShape{.mode = 1, .members = {MakeTexture("TexSet1", 2, 2, 1), TextureRefShape{"TexRefN"}, MakeTexture("TexSet2")}, .count = {}},
        SetShape{.mode = 0, .members = {MakeTexture("TexSet3", 4, 4, 0)}, .count = {}},
        RawLeafShape{7},
    }});
    first.branch.distances = {1.0f, 2.0f, 3.0f};
    GroupShape second;
    second.selector = 3;
    second.branch.parts.push_back(PartShape{{MakeTexture("TexShB", 8, 8, 0), MakeTexture("TexOwn")}});
    second.branch.distances = {5.0f};
    tree.tops.push_back(TopShape{{first, OtherChildShape{5}, NullShape{}, second}});
    return tree;
}

} // namespace lathwork::testkit
