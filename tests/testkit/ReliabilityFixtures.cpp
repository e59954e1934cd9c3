#include "testkit/ReliabilityFixtures.hpp"

#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "modify/Cloaking.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/Layout.hpp"
#include "opt/TextureNode.hpp"

#include <cerrno>
#include <cstdlib>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lathwork::testkit {

namespace fs = std::filesystem;

std::vector<ToolOperation> EveryOperation(const std::vector<TextureName>& names)
{
    const ColourChoice entire{};
    const ColourChoice custom{.customSelect = true, .picked = {{248, 252, 248}, {0, 0, 0}}, .tolerance = 40};
    return {
        {"illumination scan", [](OptImage& image, const fs::path&) { ScanIlluminationTextures(image); }},
        {"transparency scan", [](OptImage& image, const fs::path&) { ScanTransparencyTextures(image); }},
        {"set scan", [](OptImage& image, const fs::path&) { ScanTextureSets(image); }},
        {"set listing", [](OptImage& image, const fs::path&) { ListSetTextures(image, 0); }},
        {"cloaking scan", [](OptImage& image, const fs::path&) { ScanCloakingDistances(image); }},
        {"preview", [names](OptImage& image, const fs::path&) {
             for (const TextureName& name : names) {
                 PreviewTexture(image, name);
             }
         }},
        {"extraction", [](OptImage& image, const fs::path& scratch) {
             const fs::path opt = scratch / "SHIP.OPT";
             WriteNewFile(opt, image.Bytes());
             ExtractTextures(opt);
         }},
        {"illumination, entire texture", [names, entire](OptImage& image, const fs::path&) {
             RunIllumination(image, {names, entire});
         }},
        {"illumination, custom select", [names, custom](OptImage& image, const fs::path&) {
             RunIllumination(image, {names, custom});
         }},
        {"transparency, entire texture", [names, entire](OptImage& image, const fs::path&) {
             RunTransparency(image, {names, entire, 111});
         }},
        {"transparency, custom select", [names, custom](OptImage& image, const fs::path&) {
             RunTransparency(image, {names, custom, 40});
         }},
        {"animation", [](OptImage& image, const fs::path&) { AnimateTextureSets(image, {0, 1, 2}); }},
        {"cloaking write", [](OptImage& image, const fs::path&) { WriteCloakingDistances(image, 1.0f, 6.467e-05f); }},
    };
}

Bytes FanInModel(int tops, int parts, int leaves, int pixelBytes)
{
    using namespace layout;
    constexpr std::int32_t g = 0x100;
    const std::int32_t top = 26;
    const std::int32_t group = top + 24 + 4 * tops;
    const std::int32_t branch = group + 40;
    const std::int32_t partTable = branch + 24;
    const std::int32_t distances = partTable + 4 * parts;
    const std::int32_t part = distances + 4 * parts;
    const std::int32_t texture = part + 24 + 4 * leaves;
    const std::int32_t palette = texture + 57 + pixelBytes; // c = 0: pixels from +57
    OptImage image(Bytes(static_cast<std::size_t>(palette + kPaletteBlockBytes), 0));

    image.WriteLong(kBodyLength, image.Size() - 8);
    image.WriteLong(kPointerBase, g + 8);
    image.WriteLong(kTopNodeCount, 1);
    image.WriteLong(kHeaderPointer, top + g);
    image.WriteLong(kTopNodeTable, top + g);
    image.WriteLong(top + kNodeCount, tops);
    image.WriteLong(top + kChildTablePtr, top + kInlineChildren + g);
    for (int j = 0; j < tops; ++j) {
        image.WriteLong(top + kInlineChildren + 4 * j, group + g);
    }
    image.WriteLong(group + kNodeType, kTypeGroup);
    image.WriteLong(group + kNodeCount, 2);
    image.WriteLong(group + kGroupDefaultBranchSlot, branch + g);
    image.WriteLong(branch + kNodeCount, parts);
    image.WriteLong(branch + kChildTablePtr, partTable + g);
    image.WriteLong(branch + kDistanceTablePtr, distances + g);
    for (int k = 0; k < parts; ++k) {
        image.WriteLong(partTable + 4 * k, part + g);
        image.WriteSingle(distances + 4 * k, 3.414e-05f);
    }
    image.WriteLong(part + kNodeCount, leaves);
    image.WriteLong(part + kChildTablePtr, part + kInlineChildren + g);
    for (int m = 0; m < leaves; ++m) {
        image.WriteLong(part + kInlineChildren + 4 * m, texture + g);
    }
    image.WriteLong(texture, texture + kTextureName + g);
    image.WriteLong(texture + kNodeType, kTypeTexture);
    image.WriteLong(texture + kDataPtr, texture + kTextureName + g);
    const std::string name = "TEX00001";
    image.WriteBytes(texture + kTextureName, std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
    const TextureNode fields = TextureNode::At(image, texture);
    image.WriteLong(fields.PaletteSlot(), palette + g);
    image.WriteLong(fields.ImageSizeField(), pixelBytes);
    image.WriteLong(fields.DataSizeField(), pixelBytes);
    image.WriteLong(fields.WidthField(), pixelBytes);
    image.WriteLong(fields.HeightField(), 1);
    image.Fill(palette, kPaletteBlockBytes, 0x5A);
    const auto bytes = image.Bytes();
    return {bytes.begin(), bytes.end()};
}

#ifndef _WIN32

pid_t StartChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
        }
        ::_exit(status);
    }
    return child;
}

ChildEnd WaitChild(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ChildEnd end;
    end.exited = WIFEXITED(status);
    end.status = end.exited ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

ChildEnd RunChild(const std::function<int()>& body)
{
    return WaitChild(StartChild(body));
}

#endif

std::vector<std::string> TemporaryFiles(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".") && name.find(".lathwork-") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

} // namespace lathwork::testkit
