#include "BenchModels.hpp"

#include "opt/FileIo.hpp"
#include "testkit/OptBuilder.hpp"

#include <map>
#include <unistd.h>

namespace lathwork::bench {

const std::filesystem::path& ModelFile(int textureCount)
{
    static std::map<int, std::filesystem::path> files;
    auto found = files.find(textureCount);
    if (found == files.end()) {
        const auto folder = std::filesystem::temp_directory_path() / ("lathwork-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const auto path = folder / ("MODEL" + std::to_string(textureCount) + ".OPT");
        WriteNewFile(path, testkit::Build(testkit::GenerateLargeModel(textureCount)).bytes);
        found = files.emplace(textureCount, path).first;
    }
    return found->second;
}

} // namespace lathwork::bench
