#include "modify/RewriteFile.hpp"

#include "opt/FileIo.hpp"

namespace lathwork {

void RewriteFile(const std::filesystem::path& path, const std::function<void(OptImage&)>& change, FileChange* kept)
{
    CheckReplaceable(path);
    OptImage image = OptImage::Load(path);
    std::vector<std::uint8_t> before;
    if (kept != nullptr) {
        before.assign(image.Bytes().begin(), image.Bytes().end());
    }
    change(image);
    image.Save(path);
    if (kept != nullptr) {
        kept->before = std::move(before);
        kept->after.assign(image.Bytes().begin(), image.Bytes().end());
    }
}

} // namespace lathwork
