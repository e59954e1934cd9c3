// lathwork-cli run as a whole process, as a user runs it, on models with pointers past the end
// of the file (bench::UnfriendlyModelFile), each beside its floor measured in the same run:
//
//   rewrite   illuminate / transparency, with --all (names in list order, repeated) or with the
//             same names shuffled on the command line, beside a durable copy of its result
//             (copied, flushed and renamed over a copy of the model, as the save replaces it)
//   list      list illumination, beside cat of the file (both from the page cache)
//   animate   animate --all, beside a durable copy of its result
//
// Each row runs its operation a few times within a time budget and reports the best run
// (best_ms), the best floor (best_base_ms) and their ratio (best_ratio); rows of more than
// 2,000 textures also report growth_from_2000, their best over the 2,000-texture row's best.
// A rewrite row of 8,000 (30,000) textures runs only when the same rewrite of 2,000 (8,000)
// took under 2 s, or when LATHWORK_BENCH_SLOW=1 is set: a slow engine takes minutes on them.

#include "BenchModels.hpp"
#include "BenchSupport.hpp"

#include "opt/NameText.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

namespace {

using namespace lathwork;
using namespace lathwork::bench;
namespace fs = std::filesystem;

constexpr int kRuns = 5;                // at most, per row
constexpr double kBudgetSeconds = 20;   // no further run starts after this much time in a row
constexpr double kSlowSeconds = 2;      // a rewrite this slow skips the next size up

int Textures(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

// The best time of each row, by operation and size: the base of growth_from_2000.
std::map<std::pair<std::string, int>, double>& BestTimes()
{
    static std::map<std::pair<std::string, int>, double> times;
    return times;
}

// Runs prepare (untimed), the operation and its floor up to kRuns times within the budget, and
// reports the best of each, their ratio and the growth from 2,000 textures.
void Measure(benchmark::State& state, const std::string& operation, const std::function<void()>& prepare,
             const std::function<double()>& work, const std::function<double()>& floor)
{
    for (auto _ : state) {
        Best best;
        double spent = 0;
        for (int run = 0; run < kRuns && spent < kBudgetSeconds; ++run) {
            prepare();
            const double w = work();
            const double f = floor();
            best.Add(w, f);
            spent += w + f;
        }
        state.SetIterationTime(best.work);
        best.Report(state);
        const int n = Textures(state);
        BestTimes()[{operation, n}] = best.work;
        if (const auto base = BestTimes().find({operation, 2000}); n != 2000 && base != BestTimes().end()) {
            state.counters["growth_from_2000"] = best.work / base->second;
        }
    }
}

// Before each run: the model where the tool rewrites it, and the model again where the floor's
// copy goes, so that the floor too replaces a file of the model's size, as a save does.
void PutModels(const fs::path& model, const fs::path& work, const fs::path& copy)
{
    fs::copy_file(model, work, fs::copy_options::overwrite_existing);
    fs::copy_file(model, copy, fs::copy_options::overwrite_existing);
    Settle({});
}

double TimeDurableCopy(const fs::path& result, const fs::path& copy)
{
    Settle({});
    return Seconds([&] { DurableCopy(result, copy); });
}

// The names "Select all" sends for command (with their repeats), shuffled.
std::vector<std::string> ShuffledNames(const fs::path& model, const std::string& command)
{
    const OptImage image = OptImage::Load(model);
    const auto names = command == "illuminate" ? ScanIlluminationTextures(image) : ScanTransparencyTextures(image);
    std::vector<std::string> words;
    for (const TextureName& name : names) {
        words.push_back(NameText(name));
    }
    std::shuffle(words.begin(), words.end(), std::mt19937(7));
    return words;
}

// state.range(1): 0 for --all, 1 for the names shuffled.
void Rewrite(benchmark::State& state, const std::string& command)
{
    const int n = Textures(state);
    const bool shuffled = state.range(1) != 0;
    const std::string operation = command + (shuffled ? " shuffled" : " --all");
    const auto smaller = BestTimes().find({operation, n > 8000 ? 8000 : 2000});
    if (n > 2000 && std::getenv("LATHWORK_BENCH_SLOW") == nullptr &&
        (smaller == BestTimes().end() || smaller->second > kSlowSeconds)) {
        state.SkipWithError("skipped: the smaller model took over 2 s or was not run (LATHWORK_BENCH_SLOW=1 runs it)");
        return;
    }
    const fs::path& model = UnfriendlyModelFile(n);
    const fs::path work = model.parent_path() / "WORK.OPT";
    const fs::path copy = model.parent_path() / "DURABLECOPY.OPT";
    std::vector<std::string> argv = {LATHWORK_CLI, command, work.string()};
    if (shuffled) {
        argv.push_back("--");
        const auto names = ShuffledNames(model, command);
        argv.insert(argv.end(), names.begin(), names.end());
    } else {
        argv.push_back("--all");
    }
    Measure(
        state, operation,
        [&] { PutModels(model, work, copy); },
        [&] { return RunProcess(argv); },
        [&] { return TimeDurableCopy(work, copy); });
    state.counters["out_MB"] = static_cast<double>(fs::file_size(work)) / 1e6;
    fs::remove(work);
    fs::remove(copy);
}

void BM_UnfriendlyIlluminate(benchmark::State& state)
{
    Rewrite(state, "illuminate");
}

void BM_UnfriendlyTransparency(benchmark::State& state)
{
    Rewrite(state, "transparency");
}

void BM_UnfriendlyList(benchmark::State& state)
{
    const fs::path& model = UnfriendlyModelFile(Textures(state));
    RunProcess({"cat", model.string()}); // both start with the file in the page cache
    Measure(
        state, "list", [] {},
        [&] { return RunProcess({LATHWORK_CLI, "list", "illumination", model.string()}); },
        [&] { return RunProcess({"cat", model.string()}); });
    state.counters["MB"] = static_cast<double>(fs::file_size(model)) / 1e6;
}

void BM_UnfriendlyAnimate(benchmark::State& state)
{
    const fs::path& model = UnfriendlyModelFile(Textures(state));
    const fs::path work = model.parent_path() / "WORK.OPT";
    const fs::path copy = model.parent_path() / "DURABLECOPY.OPT";
    Measure(
        state, "animate",
        [&] { PutModels(model, work, copy); },
        [&] { return RunProcess({LATHWORK_CLI, "animate", work.string(), "--all"}); },
        [&] { return TimeDurableCopy(work, copy); });
    state.counters["MB"] = static_cast<double>(fs::file_size(work)) / 1e6;
    fs::remove(work);
    fs::remove(copy);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(2000)->Arg(8000)->Arg(30000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

void SizesAndOrders(benchmark::internal::Benchmark* b)
{
    b->ArgsProduct({{2000, 8000, 30000}, {0, 1}})->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_UnfriendlyList)->Apply(Sizes);
BENCHMARK(BM_UnfriendlyAnimate)->Apply(Sizes);
BENCHMARK(BM_UnfriendlyIlluminate)->Apply(SizesAndOrders);
BENCHMARK(BM_UnfriendlyTransparency)->Apply(SizesAndOrders);

} // namespace
