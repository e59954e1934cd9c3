// "Select all" + BEGIN in Illumination and Transparency mode on the large model, beside a plain
// copy of the same file. Each run starts from a fresh copy of the model.

#include "BenchModels.hpp"

#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/Scans.hpp"

#include <benchmark/benchmark.h>

#include <functional>

namespace {

using namespace lathwork;
namespace fs = std::filesystem;

fs::path WorkCopy(const fs::path& model)
{
    const fs::path work = model.parent_path() / ("WORK-" + model.filename().string());
    fs::copy_file(model, work, fs::copy_options::overwrite_existing);
    return work;
}

void RunOnFreshCopies(benchmark::State& state, const std::function<void(OptImage&)>& change)
{
    const fs::path& model = bench::ModelFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path work = WorkCopy(model);
        state.ResumeTiming();
        RewriteFile(work, change);
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(model)) / 1e6;
}

// Read the file and write the same bytes back through the same atomic save.
void BM_CopyFile(benchmark::State& state)
{
    RunOnFreshCopies(state, [](OptImage&) {});
}
BENCHMARK(BM_CopyFile)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IlluminateAll(benchmark::State& state)
{
    RunOnFreshCopies(state, [](OptImage& image) { RunIllumination(image, {ScanIlluminationTextures(image), {}}); });
}
BENCHMARK(BM_IlluminateAll)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TransparencyAll(benchmark::State& state)
{
    RunOnFreshCopies(state, [](OptImage& image) {
        RunTransparency(image, {ScanTransparencyTextures(image), {}, 111});
    });
}
BENCHMARK(BM_TransparencyAll)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
