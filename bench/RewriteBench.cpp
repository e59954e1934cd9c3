// "Select all" + BEGIN in Illumination and Transparency mode on the image in memory (no file
// reading or writing): the one-pass engine on 2,000 and 8,000 textures, and beside it on 500
// the walking reference, whose cost grows with names x nodes and insertions x file size. The
// whole operation with its file work is in PerformanceBench.cpp.

#include "BenchModels.hpp"

#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace lathwork;

void InMemory(benchmark::State& state, RewriteEngine engine, bool transparency)
{
    const auto bytes = ReadWholeFile(bench::ModelFile(static_cast<int>(state.range(0))));
    bool onePass = false;
    for (auto _ : state) {
        state.PauseTiming();
        OptImage image{std::vector<std::uint8_t>(bytes)};
        state.ResumeTiming();
        onePass = transparency ? RunTransparency(image, {ScanTransparencyTextures(image), {}, 111}, engine).onePass
                               : RunIllumination(image, {ScanIlluminationTextures(image), {}}, engine).onePass;
    }
    state.counters["one_pass"] = onePass ? 1 : 0;
}

void BM_IlluminationInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::OnePass, false);
}
BENCHMARK(BM_IlluminationInMemory)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TransparencyInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::OnePass, true);
}
BENCHMARK(BM_TransparencyInMemory)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_IlluminationWalkingInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::Walking, false);
}
BENCHMARK(BM_IlluminationWalkingInMemory)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TransparencyWalkingInMemory(benchmark::State& state)
{
    InMemory(state, RewriteEngine::Walking, true);
}
BENCHMARK(BM_TransparencyWalkingInMemory)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
