// Saving a small model that shares its folder with many other files (a flight-models folder):
// the leftover clearing looks through the folder once per process, so the saves after the first
// cost the same with 0 or 30,000 neighbours. Target: arg 30000 within a few ms of arg 0.

#include "modify/Cloaking.hpp"
#include "modify/RewriteFile.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/TestFiles.hpp"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace lathwork;

void BM_SaveBesideManyFiles(benchmark::State& state)
{
    testkit::TempFolder folder;
    for (int i = 0; i < state.range(0); ++i) {
        testkit::WriteFile(folder / ("OTHER" + std::to_string(i) + ".OPT"), {1});
    }
    const auto file = folder / "SHIP.OPT";
    testkit::WriteFile(file, testkit::Build(testkit::GenerateLargeModel(4)).bytes);
    float high = 1;
    RewriteFile(file, [&](OptImage& image) { WriteCloakingDistances(image, high++, 1); }); // the one look
    int written = 0;
    for (auto _ : state) {
        written += RewriteFile(file, [&](OptImage& image) { WriteCloakingDistances(image, high++, 1); }).written;
    }
    state.counters["written"] = written;
}
BENCHMARK(BM_SaveBesideManyFiles)->Arg(0)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
