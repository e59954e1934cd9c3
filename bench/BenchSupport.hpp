#pragma once

// What the benchmarks that time files and processes share: timing, copies that stand as floors,
// child processes, and the best of the iterations.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace lathwork::bench {

// The wall time of work, in seconds.
double Seconds(const std::function<void()>& work);

// Throws, with errno's text, unless ok.
void Require(bool ok, const std::string& what);

// read + write through user space with a 4 MiB buffer, like dd bs=4M; with flush, the copy is
// then flushed to disk, like dd conv=fsync.
void PlainCopy(const std::filesystem::path& from, const std::filesystem::path& to, bool flush = false);

// A durable copy, as a save makes one: copied to a temporary file beside `to`, flushed, and
// renamed over `to`.
void DurableCopy(const std::filesystem::path& from, const std::filesystem::path& to);

// Before each timed step: files that step writes are removed, and what earlier steps wrote is
// put on disk, so that no step waits behind the writing of another.
void Settle(std::initializer_list<std::filesystem::path> removed);

// Runs argv (the first word searched in PATH) with stdout to /dev/null and waits; returns the
// wall time. Throws when the process fails.
double RunProcess(std::vector<std::string> argv);

// The best of the iterations, as the least disturbed by other work on the machine: the fastest
// operation over the fastest baseline.
struct Best {
    double work = 1e9;
    double baseline = 1e9;
    void Add(double w, double b)
    {
        work = std::min(work, w);
        baseline = std::min(baseline, b);
    }
    void Report(benchmark::State& state) const
    {
        state.counters["best_ms"] = work * 1e3;
        state.counters["best_base_ms"] = baseline * 1e3;
        state.counters["best_ratio"] = work / baseline;
    }
};

} // namespace lathwork::bench
