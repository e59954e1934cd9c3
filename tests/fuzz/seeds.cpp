// Writes seed inputs for the fuzz targets into the folder given: models made by the test builder.

#include "opt/FileIo.hpp"
#include "testkit/OptBuilder.hpp"

#include <cstdio>
#include <string>

using namespace lathwork;
using namespace lathwork::testkit;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lathwork_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    std::vector<ModelSpec> models;
    models.push_back(SimpleModel({MakeTexture("TexA", 4, 2), MakeTexture("TexB", 3, 3, 0)}, 8));
    models.back().palettes.push_back(MakePalette(7));
    TextureSpec lit = MakeTexture("TexLit", 2, 2);
    lit.childCount = 1;
    models.push_back(SimpleModel({lit, SetSpec{.mode = 1, .members = {MakeTexture("TexS1", 2, 2), TextureRefSpec{"TexR"}}, .count = {}},
                                  SetSpec{.mode = 0, .members = {MakeTexture("TexOne", 2, 2)}, .count = {}}},
                                 0x100));
    ModelSpec two = SimpleModel({MakeTexture("TexC", 2, 2, 0), MakeTexture("TexD", 2, 2, 0)}, 0x40);
    two.palettes.push_back(MakePalette(3));
    std::get<GroupSpec>(two.tops[0].children[0]).branch.distances = {6.467e-05f, 3.414e-05f, 1.0f};
    models.push_back(two);
    for (std::size_t i = 0; i < models.size(); ++i) {
        const auto bytes = Build(models[i]).bytes;
        // The rewrite target reads a request from its first 16 bytes; give it a zero request.
        std::vector<std::uint8_t> withRequest(16, static_cast<std::uint8_t>(i));
        withRequest.insert(withRequest.end(), bytes.begin(), bytes.end());
        WriteNewFile(folder / ("model" + std::to_string(i) + ".opt"), bytes);
        WriteNewFile(folder / ("request" + std::to_string(i) + ".bin"), withRequest);
    }
    return 0;
}
