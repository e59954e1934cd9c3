#include "BenchModels.hpp"

#include "opt/FileIo.hpp"
#include "opt/Layout.hpp"
#include "testkit/OptBuilder.hpp"

#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <unistd.h>

namespace lathwork::bench {

namespace {

// The folder the generated models live in, removed when the benchmarks end, unless
// LATHWORK_BENCH_KEEP names a folder to keep them in (to run the tool on them by hand).
struct ModelFolder {
    const char* keep = std::getenv("LATHWORK_BENCH_KEEP");
    std::filesystem::path path = keep != nullptr ? std::filesystem::path(keep)
                                                 : std::filesystem::temp_directory_path() /
                                                       ("lathwork-bench-" + std::to_string(::getpid()));
    ~ModelFolder()
    {
        std::error_code ec;
        if (keep == nullptr) {
            std::filesystem::remove_all(path, ec);
        }
    }
};

// Writes the model of textureCount textures that make builds once; later calls return its path.
const std::filesystem::path& CachedModel(const std::string& kind, int textureCount,
                                         const std::function<testkit::Bytes()>& make)
{
    static ModelFolder folder;
    static std::map<std::pair<std::string, int>, std::filesystem::path> files;
    auto found = files.find({kind, textureCount});
    if (found == files.end()) {
        std::filesystem::create_directories(folder.path);
        const auto path = folder.path / (kind + std::to_string(textureCount) + ".OPT");
        WriteNewFile(path, make());
        found = files.emplace(std::pair{kind, textureCount}, path).first;
    }
    return found->second;
}

} // namespace

const std::filesystem::path& ModelFile(int textureCount)
{
    return CachedModel("MODEL", textureCount, [&] {
        return testkit::Build(testkit::GenerateRepeatedNamesModel(textureCount, 1)).bytes;
    });
}

const std::filesystem::path& UnfriendlyModelFile(int textureCount)
{
    return CachedModel("UNFRIENDLY", textureCount, [&] {
        testkit::BuiltModel model = testkit::Build(testkit::GenerateRepeatedNamesModel(textureCount, 2));
        const auto length = static_cast<std::int32_t>(model.bytes.size());
        std::mt19937 rng(textureCount);
        auto pastTheEnd = [&] { return length + std::uniform_int_distribution<std::int32_t>(1, 64)(rng) + model.globalOffset; };
        testkit::SetLong(model.bytes, layout::kHeaderPointer, pastTheEnd());
        for (std::size_t i = 0; i < model.textures.size(); i += 8) {
            testkit::SetLong(model.bytes, static_cast<std::size_t>(model.textures[i] + layout::kHeadPointer), pastTheEnd());
        }
        return std::move(model.bytes);
    });
}

} // namespace lathwork::bench
