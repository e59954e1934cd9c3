// "Select all" + BEGIN in Illumination and Transparency mode on the image in memory (no file
// reading or writing), with the indexed engine and with the plain walking one, whose cost grows
// with textures x pointers. The whole operation with its file work is in PerformanceBench.cpp.

#include "BenchModels.hpp"

#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/Scans.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace lathwork;

void InMemory(benchmark::State& state, RewriteEngine engine, bool transparency)
{
    const auto bytes = ReadWholeFile(bench::ModelFile(static_cast<int>(state.range(0))));
    bool indexed = false;
    for (auto _ : state) {
        state.PauseTiming();
        OptImage image{std::vector<std::uint8_t>(bytes)};
        state.ResumeTiming();
        indexed = transparency ? RunTransparency(image, {ScanTransparencyTextures(image), {}, 111}, engine).onePass
                               : RunIllumination(image, {ScanIlluminationTextures(image), {}}, engine).onePass;
    }
    state.counters["indexed"] = indexed ? 1 : 0;
}

void BM_IlluminationInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::OnePass, false);
}
BENCHMARK(BM_IlluminationInMemory)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TransparencyInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::OnePass, true);
}
BENCHMARK(BM_TransparencyInMemory)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_IlluminationWalkingInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::Walking, false);
}
BENCHMARK(BM_IlluminationWalkingInMemory)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TransparencyWalkingInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::Walking, true);
}
BENCHMARK(BM_TransparencyWalkingInMemory)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
