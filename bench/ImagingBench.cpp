#include "BenchModels.hpp"

#include "imaging/Extraction.hpp"
#include "imaging/TextureBitmap.hpp"
#include "imaging/TextureImage.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptImage.hpp"
#include "opt/Pointer.hpp"

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

using namespace lathwork;
namespace fs = std::filesystem;

void RemoveAll(const std::vector<fs::path>& paths)
{
    for (const fs::path& path : paths) {
        fs::remove(path);
    }
}

// Extract Textures on the generated model: load, walk, convert and write every bitmap.
void BM_ExtractTextures(benchmark::State& state)
{
    const auto& path = bench::ModelFile(static_cast<int>(state.range(0)));
    std::vector<fs::path> written;
    for (auto _ : state) {
        written = ExtractTextures(path);
    }
    state.counters["bitmaps"] = static_cast<double>(written.size());
    RemoveAll(written);
}
BENCHMARK(BM_ExtractTextures)->Arg(2000)->Unit(benchmark::kMillisecond);

// The floor to compare with: writing the same bitmap bytes to as many files.
void BM_WriteSameBitmaps(benchmark::State& state)
{
    const auto& path = bench::ModelFile(static_cast<int>(state.range(0)));
    const OptImage image = OptImage::Load(path);
    const std::int32_t g = ReadPointerBase(image);
    std::vector<std::vector<std::uint8_t>> bitmaps;
    VisitTextures(image, g, [&](std::int32_t node) {
        if (const auto texture = ReadTextureImage(image, g, node)) {
            bitmaps.push_back(WriteTextureBitmap(*texture));
        }
    });
    const fs::path folder = fs::temp_directory_path() / ("lathwork-bench-bitmaps-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (auto _ : state) {
        for (std::size_t i = 0; i < bitmaps.size(); ++i) {
            WriteNewFile(folder / ("B_" + std::to_string(i) + ".BMP"), bitmaps[i]);
        }
    }
    state.counters["bitmaps"] = static_cast<double>(bitmaps.size());
    fs::remove_all(folder);
}
BENCHMARK(BM_WriteSameBitmaps)->Arg(2000)->Unit(benchmark::kMillisecond);

// The conversion alone for one 64 x 64 texture.
void BM_WriteTextureBitmap(benchmark::State& state)
{
    TextureImage texture;
    texture.width = 64;
    texture.height = 64;
    texture.paletteRow.resize(512);
    for (std::size_t i = 0; i < texture.paletteRow.size(); ++i) {
        texture.paletteRow[i] = static_cast<std::uint8_t>(i * 31);
    }
    texture.pixels.assign(64 * 64, 7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteTextureBitmap(texture));
    }
}
BENCHMARK(BM_WriteTextureBitmap)->Unit(benchmark::kMicrosecond);

} // namespace
