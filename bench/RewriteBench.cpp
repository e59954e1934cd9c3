// "Select all" + BEGIN in Illumination and Transparency mode on the image in memory (no file
// reading or writing): the one-pass engine on 2,000 and 8,000 textures, and beside it on 500
// the walking reference, whose cost grows with names x nodes and insertions x file size. The
// whole operation with its file work is in PerformanceBench.cpp.

#include "BenchModels.hpp"

#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"
#include "testkit/WalkingOracle.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace lathwork;

void InMemory(benchmark::State& state, bool walking, bool transparency)
{
    const auto bytes = ReadWholeFile(bench::ModelFile(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        OptImage image{std::vector<std::uint8_t>(bytes)};
        state.ResumeTiming();
        if (transparency) {
            const TransparencyRequest request{ScanTransparencyTextures(image), {}, 111};
            walking ? testkit::WalkTransparency(image, request) : RunTransparency(image, request);
        } else {
            const IlluminationRequest request{ScanIlluminationTextures(image), {}};
            walking ? testkit::WalkIllumination(image, request) : RunIllumination(image, request);
        }
        // The one pass only describes its result until it is read or saved: read it, so that
        // both engines are timed up to the same whole bytes.
        benchmark::DoNotOptimize(image.Bytes().data());
    }
}

void BM_IlluminationInMemory(benchmark::State& state)
{
    InMemory(state, false, false);
}
BENCHMARK(BM_IlluminationInMemory)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TransparencyInMemory(benchmark::State& state)
{
    InMemory(state, false, true);
}
BENCHMARK(BM_TransparencyInMemory)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_IlluminationWalkingInMemory(benchmark::State& state)
{
    InMemory(state, true, false);
}
BENCHMARK(BM_IlluminationWalkingInMemory)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TransparencyWalkingInMemory(benchmark::State& state)
{
    InMemory(state, true, true);
}
BENCHMARK(BM_TransparencyWalkingInMemory)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
