#include "colour/Similarity.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace lathwork;

// A full 256 x 256 preview repainted for 10 picked colours, as a tolerance change does it:
// the unmarked picture restored, then one marking pass per colour.
void BM_RemarkTenColours(benchmark::State& state)
{
    RgbBuffer holder(256, 256);
    std::uint32_t seed = 12345;
    for (std::uint32_t& pixel : holder.Pixels()) {
        seed = seed * 1664525u + 1013904223u;
        pixel = seed >> 8;
    }
    std::vector<Rgb> picked;
    for (int i = 0; i < 10; ++i) {
        picked.push_back(SplitColour(holder.Pixels()[static_cast<std::size_t>(i * 6553)]));
    }
    RgbBuffer display = holder;
    for (auto _ : state) {
        RemarkPickedColours(display, holder, 256, 256, picked, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(display.Pixels().data());
    }
}
BENCHMARK(BM_RemarkTenColours)->Arg(32)->Arg(255)->Unit(benchmark::kMillisecond);

} // namespace
