// The figures of docs/performance.md. Each operation runs on the generated models of 2,000 and
// 8,000 textures (random shapes, shared palettes, names repeated hundreds of times) and is timed
// beside the baseline it is judged against, measured in the same iterations: the counter
// "ratio" is the operation's time over the baseline's.
//
//   plain copy     read + write of the model through a 4 MiB user-space buffer to a new file in
//                  the same folder, as dd bs=4M does (no flush to disk)
//   scan           load + Illumination scan, beside reading the file once
//   list process   lathwork-cli list illumination as a whole process, beside cat of the file
//   extraction     Extract Textures, beside writing the same bitmap bytes to as many files
//   rewrites       "Select all" + BEGIN as the window does it (load, rewrite, atomic save with
//                  flush), with the names in list order, reversed or shuffled, beside a durable
//                  copy of the result (written through the same buffer, then flushed to disk, as
//                  dd conv=fsync does)
//   peak memory    the largest resident size of a child process doing one rewrite, beside the
//                  limit file + result + 32 MB

#include "BenchModels.hpp"
#include "BenchSupport.hpp"

#include "imaging/Extraction.hpp"
#include "imaging/TextureBitmap.hpp"
#include "imaging/TextureImage.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace lathwork;
using namespace lathwork::bench;
namespace fs = std::filesystem;

constexpr const char* kPeakModeVariable = "LATHWORK_PEAK_REWRITE";
constexpr const char* kPeakFileVariable = "LATHWORK_PEAK_FILE";
constexpr const char* kPeakResultVariable = "LATHWORK_PEAK_RESULT";

// The order the names of "Select all" reach the rewrite in.
enum Order { kListOrder, kReversed, kShuffled };

void SelectAll(OptImage& image, const std::string& mode, int order = kListOrder)
{
    auto names = mode == "illumination" ? ScanIlluminationTextures(image) : ScanTransparencyTextures(image);
    if (order == kReversed) {
        std::reverse(names.begin(), names.end());
    } else if (order == kShuffled) {
        std::shuffle(names.begin(), names.end(), std::mt19937(7));
    }
    if (mode == "illumination") {
        RunIllumination(image, {names, {}});
    } else {
        RunTransparency(image, {names, {}, 111});
    }
}

int Textures(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

void Ratio(benchmark::State& state, double work, double baseline, const char* baselineName)
{
    const auto n = static_cast<double>(state.iterations());
    state.counters[baselineName] = benchmark::Counter(baseline / n * 1e3);
    state.counters["ratio"] = benchmark::Counter(work / baseline);
    state.counters["MB"] = benchmark::Counter(static_cast<double>(fs::file_size(bench::ModelFile(Textures(state)))) / 1e6);
}

void BM_PlainCopy(benchmark::State& state)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    const fs::path copy = model.parent_path() / "PLAINCOPY.OPT";
    for (auto _ : state) {
        Settle({copy});
        state.SetIterationTime(Seconds([&] { PlainCopy(model, copy); }));
    }
    fs::remove(copy);
}

void BM_Scan(benchmark::State& state)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    double scan = 0;
    double read = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        read += Seconds([&] { benchmark::DoNotOptimize(ReadWholeFile(model)); });
        const double t = Seconds([&] { listed = ScanIlluminationTextures(OptImage::Load(model)).size(); });
        scan += t;
        state.SetIterationTime(t);
    }
    Ratio(state, scan, read, "read_ms");
    state.counters["listed"] = static_cast<double>(listed);
}

void BM_Extraction(benchmark::State& state)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    // The same bitmap bytes, prepared once, written to as many files in the same folder.
    const OptImage image = OptImage::Load(model);
    const std::int32_t g = ReadPointerBase(image);
    std::vector<std::vector<std::uint8_t>> bitmaps;
    VisitTextures(image, g, [&](std::int32_t node) {
        if (const auto texture = ReadTextureImage(image, g, node)) {
            bitmaps.push_back(WriteTextureBitmap(*texture));
        }
    });
    const fs::path plain = model.parent_path() / "plain-bitmaps";
    fs::create_directories(plain);
    double extract = 0;
    double write = 0;
    for (auto _ : state) {
        Settle({});
        write += Seconds([&] {
            for (std::size_t i = 0; i < bitmaps.size(); ++i) {
                WriteNewFile(plain / ("B" + std::to_string(i) + ".BMP"), bitmaps[i]);
            }
        });
        for (std::size_t i = 0; i < bitmaps.size(); ++i) {
            fs::remove(plain / ("B" + std::to_string(i) + ".BMP"));
        }
        Settle({});
        std::vector<fs::path> written;
        const double t = Seconds([&] { written = ExtractTextures(model); });
        extract += t;
        state.SetIterationTime(t);
        for (const fs::path& path : written) {
            fs::remove(path);
        }
    }
    fs::remove_all(plain);
    Ratio(state, extract, write, "write_ms");
    state.counters["bitmaps"] = static_cast<double>(bitmaps.size());
}

void SelectAllBeside(benchmark::State& state, const std::string& mode)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    const fs::path work = model.parent_path() / "WORK.OPT";
    const fs::path copy = model.parent_path() / "DURABLECOPY.OPT";
    const int order = static_cast<int>(state.range(1));
    Best best;
    double rewrite = 0;
    double durable = 0;
    double loading = 0; // of rewrite: up to the change, the change itself, the save after it
    double changing = 0;
    for (auto _ : state) {
        fs::copy_file(model, work, fs::copy_options::overwrite_existing);
        Settle({});
        const auto start = std::chrono::steady_clock::now();
        const double t = Seconds([&] {
            RewriteFile(work, [&](OptImage& image) {
                const auto loaded = std::chrono::steady_clock::now();
                changing += Seconds([&] { SelectAll(image, mode, order); });
                loading += std::chrono::duration<double>(loaded - start).count();
            });
        });
        rewrite += t;
        state.SetIterationTime(t);
        Settle({copy});
        const double d = Seconds([&] { PlainCopy(work, copy, true); });
        durable += d;
        best.Add(t, d);
    }
    best.Report(state);
    const auto n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = loading / n * 1e3;
    state.counters["change_ms"] = changing / n * 1e3;
    state.counters["save_ms"] = (rewrite - loading - changing) / n * 1e3;
    state.counters["out_MB"] = static_cast<double>(fs::file_size(work)) / 1e6;
    fs::remove(work);
    fs::remove(copy);
    Ratio(state, rewrite, durable, "durable_copy_ms");
}

void BM_IlluminationSelectAll(benchmark::State& state)
{
    SelectAllBeside(state, "illumination");
}

void BM_TransparencySelectAll(benchmark::State& state)
{
    SelectAllBeside(state, "transparency");
}

// "Select all" + BEGIN as the whole command-line process (lathwork-cli illuminate --all, or
// transparency --all), beside a durable copy of its result: the figures of a user's run.
void CliSelectAll(benchmark::State& state, const std::string& command)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    const fs::path work = model.parent_path() / "WORK.OPT";
    const fs::path copy = model.parent_path() / "DURABLECOPY.OPT";
    Best best;
    double rewrite = 0;
    double durable = 0;
    for (auto _ : state) {
        fs::copy_file(model, work, fs::copy_options::overwrite_existing);
        Settle({});
        const double t = RunProcess({LATHWORK_CLI, command, "--all", work.string()});
        rewrite += t;
        state.SetIterationTime(t);
        Settle({copy});
        const double d = Seconds([&] { PlainCopy(work, copy, true); });
        durable += d;
        best.Add(t, d);
    }
    best.Report(state);
    state.counters["out_MB"] = static_cast<double>(fs::file_size(work)) / 1e6;
    fs::remove(work);
    fs::remove(copy);
    Ratio(state, rewrite, durable, "durable_copy_ms");
}

void BM_CliIlluminateAll(benchmark::State& state)
{
    CliSelectAll(state, "illuminate");
}

void BM_CliTransparencyAll(benchmark::State& state)
{
    CliSelectAll(state, "transparency");
}

// "list illumination" as the whole command-line process, beside cat of the file (both read a
// file the page cache holds).
void BM_ListProcess(benchmark::State& state)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    Best best;
    double list = 0;
    double cat = 0;
    RunProcess({LATHWORK_CLI, "list", "illumination", model.string()}); // both start warm
    for (auto _ : state) {
        const double c = RunProcess({"cat", model.string()});
        cat += c;
        const double t = RunProcess({LATHWORK_CLI, "list", "illumination", model.string()});
        list += t;
        state.SetIterationTime(t);
        best.Add(t, c);
    }
    best.Report(state);
    Ratio(state, list, cat, "cat_ms");
}

// One rewrite in a fresh child process of this program (see kPeakChild below), which reports its
// largest resident size. (The rusage of a spawned child can carry the parent's high-water mark
// over from before exec, so the child reads its own.)
void PeakMemory(benchmark::State& state, const std::string& mode)
{
    const fs::path& model = bench::ModelFile(Textures(state));
    const fs::path work = model.parent_path() / "PEAK.OPT";
    const fs::path result = model.parent_path() / "PEAK.TXT";
    long peakKb = 0;
    for (auto _ : state) {
        fs::copy_file(model, work, fs::copy_options::overwrite_existing);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            env.emplace_back(*e);
        }
        env.push_back(std::string(kPeakModeVariable) + "=" + mode);
        env.push_back(std::string(kPeakFileVariable) + "=" + work.string());
        env.push_back(std::string(kPeakResultVariable) + "=" + result.string());
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        std::string self = fs::read_symlink("/proc/self/exe").string();
        char* argv[] = {self.data(), nullptr};
        ::pid_t pid = 0;
        Require(::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) == 0, "spawn");
        int status = 0;
        Require(::waitpid(pid, &status, 0) == pid, "wait");
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the rewrite in the child process failed");
            break;
        }
        std::ifstream(result) >> peakKb;
    }
    fs::remove(result);
    const double fileMb = static_cast<double>(fs::file_size(model)) / 1e6;
    const double resultMb = static_cast<double>(fs::file_size(work)) / 1e6;
    fs::remove(work);
    state.counters["peak_MB"] = static_cast<double>(peakKb) * 1024 / 1e6;
    state.counters["file_MB"] = fileMb;
    state.counters["result_MB"] = resultMb;
    state.counters["limit_MB"] = fileMb + resultMb + 32 * 1.048576;
    state.counters["peak_per_file"] = static_cast<double>(peakKb) * 1024 / 1e6 / fileMb;
}

void BM_IlluminationPeakMemory(benchmark::State& state)
{
    PeakMemory(state, "illumination");
}

void BM_TransparencyPeakMemory(benchmark::State& state)
{
    PeakMemory(state, "transparency");
}

// The largest resident size of this process since it started, in kB (VmHWM).
long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// When this program is started by PeakMemory, it does the one rewrite before main, writes its
// peak resident size and ends.
[[maybe_unused]] const bool kPeakChild = [] {
    const char* mode = std::getenv(kPeakModeVariable);
    const char* file = std::getenv(kPeakFileVariable);
    const char* result = std::getenv(kPeakResultVariable);
    if (mode == nullptr || file == nullptr || result == nullptr) {
        return false;
    }
    try {
        RewriteFile(file, [&](OptImage& image) { SelectAll(image, mode); });
    } catch (const OptError&) {
        std::_Exit(1);
    }
    std::ofstream(result) << PeakResidentKb() << "\n";
    std::_Exit(0);
}();

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(2000)->Arg(8000)->UseManualTime()->Unit(benchmark::kMillisecond);
}

// Sizes x the order of the names: list order, reversed, shuffled.
void SizesAndOrders(benchmark::internal::Benchmark* b)
{
    b->ArgsProduct({{2000, 8000}, {kListOrder, kReversed, kShuffled}})->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PlainCopy)->Apply(Sizes)->Iterations(5);
BENCHMARK(BM_Scan)->Apply(Sizes)->Iterations(5);
BENCHMARK(BM_ListProcess)->Apply(Sizes)->Iterations(10);
BENCHMARK(BM_Extraction)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_CliIlluminateAll)->Apply(Sizes)->Iterations(5);
BENCHMARK(BM_CliTransparencyAll)->Apply(Sizes)->Iterations(5);
BENCHMARK(BM_IlluminationSelectAll)->Apply(SizesAndOrders)->Iterations(5);
BENCHMARK(BM_TransparencySelectAll)->Apply(SizesAndOrders)->Iterations(5);
BENCHMARK(BM_IlluminationPeakMemory)->Apply(Sizes)->Iterations(1);
BENCHMARK(BM_TransparencyPeakMemory)->Apply(Sizes)->Iterations(1);

} // namespace
