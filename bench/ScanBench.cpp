#include "BenchModels.hpp"

#include "opt/FileIo.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace lathwork;

// Reading the file once: the floor a scan is measured against.
void BM_ReadFile(benchmark::State& state)
{
    const auto& path = bench::ModelFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadWholeFile(path));
    }
}
BENCHMARK(BM_ReadFile)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_ScanIllumination(benchmark::State& state)
{
    const auto& path = bench::ModelFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const OptImage image = OptImage::Load(path);
        benchmark::DoNotOptimize(ScanIlluminationTextures(image));
    }
}
BENCHMARK(BM_ScanIllumination)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace
