// Every reader on arbitrary bytes: a list, a picture or OptError, never a crash or a hang.

#include "FuzzProperties.hpp"

#include "imaging/Preview.hpp"
#include "imaging/TextureBitmap.hpp"
#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"

#include <functional>

using namespace lathwork;

namespace {

void Try(const std::function<void()>& call)
{
    try {
        call();
    } catch (const OptError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const OptImage image{std::vector<std::uint8_t>(data, data + size)};
    std::vector<TextureName> names;
    Try([&] { names = ScanIlluminationTextures(image); });
    Try([&] { ScanTransparencyTextures(image); });
    Try([&] { ScanTextureSets(image); });
    Try([&] { ListSetTextures(image, 0); });
    Try([&] { ListSetTextures(image, 1); });
    Try([&] { ScanCloakingDistances(image); });
    Try([&] {
        for (const fuzz::TextureRecord& record : fuzz::ReadAllTextures(image)) {
            WriteTextureBitmap(TextureImage{record.width, record.height, std::vector<std::uint8_t>(512, 0x5A), record.pixels});
        }
    });
    if (!names.empty()) {
        Try([&] { PreviewTexture(image, names.back()); });
    }
    return 0;
}
