#include "BenchModels.hpp"

#include "opt/FileIo.hpp"
#include "testkit/OptBuilder.hpp"

#include <map>
#include <unistd.h>

namespace lathwork::bench {

namespace {

// The folder the generated models live in, removed when the benchmarks end.
struct ModelFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() / ("lathwork-bench-" + std::to_string(::getpid()));
    ~ModelFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

const std::filesystem::path& ModelFile(int textureCount)
{
    static ModelFolder folder;
    static std::map<int, std::filesystem::path> files;
    auto found = files.find(textureCount);
    if (found == files.end()) {
        std::filesystem::create_directories(folder.path);
        const auto path = folder.path / ("MODEL" + std::to_string(textureCount) + ".OPT");
        WriteNewFile(path, testkit::Build(testkit::GenerateRepeatedNamesModel(textureCount, 1)).bytes);
        found = files.emplace(textureCount, path).first;
    }
    return found->second;
}

} // namespace lathwork::bench
