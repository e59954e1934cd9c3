// Every reader on arbitrary bytes: the four scans, the set listing, the cloaking scan, the
// pointer-slot walk, every texture through VisitTextures, ReadTextureImage and the bitmap
// writer, and the preview. Each gives a result or OptError, never a crash or a hang.

#include "FuzzProperties.hpp"

using namespace lathwork;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const OptImage image{std::vector<std::uint8_t>(data, data + size)};
    fuzz::ReadEverything(image);
    return 0;
}
