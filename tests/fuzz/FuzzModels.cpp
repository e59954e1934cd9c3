#include "FuzzModels.hpp"

namespace lathwork::fuzz {

using namespace testkit;

namespace {

// Limits that keep a model small enough for many runs a second.
constexpr int kMaxTextures = 12;
constexpr int kMaxSide = 12;

class Generator {
public:
    explicit Generator(InputReader& in) : in_(in) {}

    ModelShape Model()
    {
        ModelShape tree;
        // Pointers are offsets moved by these; the large ones leave little or no room to grow.
        tree.globalOffset = in_.Pick(std::vector<std::int32_t>{0x1000, 0, 8, 0x00A00000, -0x10000000, 0x7F000000});
        const int palettes = in_.Int(0, 2);
        for (int p = 0; p < palettes; ++p) {
            tree.palettes.push_back(MakePalette(in_.Byte()));
        }
        palettes_ = palettes;
        const int tops = in_.Int(0, 2);
        for (int t = 0; t < tops; ++t) {
            tree.tops.push_back(Top());
        }
        return tree;
    }

private:
    TopShape Top()
    {
        TopShape top;
        const int children = in_.Int(0, 3);
        for (int c = 0; c < children; ++c) {
            switch (in_.Int(0, 5)) {
            case 0: top.children.push_back(NullShape{}); break;
            case 1: top.children.push_back(OtherChildShape{in_.Pick(std::vector<std::int32_t>{1, 5, 20})}); break;
            default: top.children.push_back(Group()); break;
            }
        }
        return top;
    }

    GroupShape Group()
    {
        GroupShape group;
        group.selector = in_.Pick(std::vector<std::int32_t>{2, 1, 3, 4, 0, 5, -1});
        const int parts = in_.Int(0, 3);
        for (int p = 0; p < parts; ++p) {
            group.branch.parts.push_back(Part());
        }
        const int distances = in_.Int(0, 3);
        for (int d = 0; d < distances; ++d) {
            group.branch.distances.push_back(in_.Single());
        }
        return group;
    }

    PartShape Part()
    {
        PartShape part;
        const int leaves = in_.Int(0, 4);
        for (int m = 0; m < leaves; ++m) {
            switch (in_.Int(0, 7)) {
            case 0: part.leaves.push_back(NullShape{}); break;
            case 1: part.leaves.push_back(RawLeafShape{in_.Pick(std::vector<std::int32_t>{1, 7, 26, 99})}); break;
            case 2:
            case 3: part.leaves.push_back(Set()); break;
            default:
                if (textures_ < kMaxTextures) {
                    part.leaves.push_back(Texture());
                }
                break;
            }
        }
        return part;
    }

    SetShape Set()
    {
        SetShape set;
        set.mode = in_.Pick(std::vector<std::int32_t>{1, 1, 0, 2});
        const int members = in_.Int(1, 3);
        if (members == 1) {
            // The single member is taken as a texture whatever it is: only a texture is well-formed.
            if (textures_ < kMaxTextures) {
                set.members.push_back(Texture());
            }
            return set;
        }
        for (int i = 0; i < members; ++i) {
            switch (in_.Int(0, 3)) {
            case 0: set.members.push_back(TextureRefShape{in_.Pick(NamePool())}); break;
            case 1: set.members.push_back(RawLeafShape{in_.Pick(std::vector<std::int32_t>{1, 26})}); break;
            default:
                if (textures_ < kMaxTextures) {
                    set.members.push_back(Texture());
                }
                break;
            }
        }
        if (set.members.size() == 1 && !std::holds_alternative<TextureShape>(set.members.front())) {
            // A texture left out at the limit must not leave a lone non-texture member.
            set.members.push_back(TextureRefShape{"TexR"});
        }
        return set;
    }

    TextureShape Texture()
    {
        ++textures_;
        const int shared = palettes_ > 0 && in_.Bool() ? in_.Int(0, palettes_ - 1) : -1;
        TextureShape t = MakeTexture(in_.Pick(NamePool()), in_.Int(0, kMaxSide), in_.Int(0, kMaxSide), shared);
        if (in_.OneIn(4)) {
            // Pixel data of its own length and content: DataSize need not be width x height.
            t.pixels.resize(static_cast<std::size_t>(in_.Int(1, 64)));
            for (auto& pixel : t.pixels) {
                pixel = in_.Byte();
            }
        }
        const auto dataSize = static_cast<int>(t.pixels.empty() ? t.width * t.height : static_cast<int>(t.pixels.size()));
        if (in_.OneIn(4)) {
            t.imageSize = in_.Int(0, 255) % (dataSize + 1);
        }
        if (in_.OneIn(3)) {
            t.childCount = 1;
            t.alphaFill = in_.Byte();
        }
        return t;
    }

    InputReader& in_;
    int palettes_ = 0;
    int textures_ = 0;
};

} // namespace

const std::vector<std::string>& NamePool()
{
    static const std::vector<std::string> names = {
        "TexA", "TexB", "TEX00001", "TexA", "texlower", std::string("Te\0x", 4), "Tex/../x", "TexLong1",
    };
    return names;
}

ModelShape GenerateModel(InputReader& in)
{
    return Generator(in).Model();
}

} // namespace lathwork::fuzz
