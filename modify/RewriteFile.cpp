#include "modify/RewriteFile.hpp"

#include "opt/FileIo.hpp"

namespace lathwork {

void RewriteFile(const std::filesystem::path& path, const std::function<void(OptImage&)>& change)
{
    CheckReplaceable(path);
    OptImage image = OptImage::Load(path);
    change(image);
    image.Save(path);
}

} // namespace lathwork
