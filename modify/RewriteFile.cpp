#include "modify/RewriteFile.hpp"

#include "opt/FileIo.hpp"
#include "modify/ModelFacts.hpp"

#include <algorithm>
#include <memory>

namespace lathwork {

SaveReport RewriteFile(const std::filesystem::path& path, const std::function<void(OptImage&)>& change,
                       FileChange* kept, platform::SaveOptions options)
{
    CheckReplaceable(path, options);
    platform::GuardedSave save(path, options);
    // The mapping stays ours as well as the image's: the result is compared with it, written
    // from it, and the history's copy of the old bytes is taken from it, the one copy made.
    auto file = std::make_shared<const platform::MappedFile>(save.Map());
    OptImage image(file->Bytes(), file);
    CheckWholeModel(image, path);
    change(image);
    SaveReport report;
    report.written = !image.Equals(file->Bytes());
    if (kept != nullptr) {
        kept->before.assign(file->Bytes().begin(), file->Bytes().end());
        kept->after = report.written ? std::move(image).TakeBytes() : kept->before;
    }
    if (report.written) {
        // The result goes out straight from the mapping and the changes (or the history's copy);
        // the mapping is let go before the file is replaced: not every system replaces a mapped file.
        report.warnings = save.Replace(
            [&](const auto& write) {
                if (kept != nullptr) {
                    write(kept->after);
                } else {
                    image.Stream(write);
                }
            },
            [&] {
                image = OptImage();
                file.reset();
            });
    }
    if (kept != nullptr) {
        kept->warnings = report.warnings;
        kept->written = report.written;
    }
    return report;
}

std::optional<SaveReport> RestoreFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& expected,
                                      const std::vector<std::uint8_t>& wanted)
{
    CheckReplaceable(path);
    platform::GuardedSave save(path);
    {
        const platform::MappedFile file = save.Map();
        if (!std::ranges::equal(file.Bytes(), expected)) {
            return std::nullopt;
        }
    }
    SaveReport report;
    report.written = expected != wanted;
    if (report.written) {
        report.warnings = save.Replace({wanted});
    }
    return report;
}

} // namespace lathwork
