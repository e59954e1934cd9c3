// Writes seed inputs for the fuzz targets into FOLDER/<target>/: models made by the test
// builder for the readers, the same models behind a request for the raw rewrites, and byte
// strings for the structured target (whose every input describes a model).

#include "opt/FileIo.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/RewriteFixtures.hpp"

#include <cstdio>
#include <string>

using namespace lathwork;
using namespace lathwork::testkit;

namespace {

// The size of the request in front of each fuzz_rewrite input.
constexpr std::size_t kRequestBytes = 32;
constexpr int kRewriteKinds = 5;

std::vector<ModelShape> Models()
{
    std::vector<ModelShape> models;
    models.push_back(SimpleModel({MakeTexture("TexA", 4, 2), MakeTexture("TexB", 3, 3, 0)}, 8));
    models.back().palettes.push_back(MakePalette(7));
    TextureShape lit = MakeTexture("TexLit", 2, 2);
    lit.childCount = 1;
    models.push_back(SimpleModel({lit, SetShape{.mode = 1, .members = {MakeTexture("TexS1", 2, 2), TextureRefShape{"TexR"}}, .count = {}},
                                  SetShape{.mode = 0, .members = {MakeTexture("TexOne", 2, 2)}, .count = {}}},
                                 0x100));
    ModelShape two = SimpleModel({MakeTexture("TexC", 2, 2, 0), MakeTexture("TexD", 2, 2, 0)}, 0x40);
    two.palettes.push_back(MakePalette(3));
    std::get<GroupShape>(two.tops[0].children[0]).branch.distances = {6.467e-05f, 3.414e-05f, 1.0f};
    models.push_back(two);
    models.push_back(RichModel());
    models.push_back(GenerateLargeModel(3));
    return models;
}

void Write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes)
{
    std::filesystem::create_directories(folder);
    WriteNewFile(folder / name, bytes);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lathwork_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const auto models = Models();
    for (std::size_t i = 0; i < models.size(); ++i) {
        const Bytes bytes = Build(models[i]).bytes;
        Write(folder / "fuzz_read", "model" + std::to_string(i) + ".opt", bytes);
        for (int kind = 0; kind < kRewriteKinds; ++kind) {
            // First byte: which rewrite; the rest pick names, colours and rows.
            Bytes input(kRequestBytes);
            input[0] = static_cast<std::uint8_t>(kind);
            for (std::size_t b = 1; b < kRequestBytes; ++b) {
                input[b] = static_cast<std::uint8_t>(b * (i + 1));
            }
            input.insert(input.end(), bytes.begin(), bytes.end());
            Write(folder / "fuzz_rewrite", "model" + std::to_string(i) + "-kind" + std::to_string(kind), input);
        }
    }
    std::uint32_t state = 12345;
    for (int s = 0; s < 48; ++s) {
        Bytes input(static_cast<std::size_t>(16 + 12 * s));
        for (auto& byte : input) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        Write(folder / "fuzz_model", "shape" + std::to_string(s), input);
    }
    return 0;
}
