#pragma once

// Damaged models, every operation of the tool on one image, and child processes that are
// killed or limited, for the tests that prove the tool survives bad input and faults.

#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lathwork::testkit {

// One operation of the tool, run on a model in memory as the window and the CLI run it.
// Extraction writes the image as SHIP.OPT into scratch and extracts beside it.
struct ToolOperation {
    std::string name;
    std::function<void(OptImage& image, const std::filesystem::path& scratch)> run;
};

// The four scans, the set listing, the cloaking scan, the preview of each name, extraction,
// illumination and transparency (entire texture and custom select) of the names, animation of
// the first three sets and the cloaking write.
std::vector<ToolOperation> EveryOperation(const std::vector<TextureName>& names);

// A small file whose nodes are reached over and over: one top node whose `tops` children all
// lead to one group, whose branch lists one part `parts` times, which holds `leaves` pointers
// to one texture named TEX00001 of pixelBytes pixels, owning its palette. An unbounded walk
// visits the texture tops x parts x leaves times.
Bytes FanInModel(int tops, int parts, int leaves, int pixelBytes = 16);

#ifndef _WIN32 // Windows has no fork
// How a child process ended.
struct ChildEnd {
    bool exited = false; // exited normally with status; otherwise killed by signal
    int status = -1;
    int signal = 0;
};

// Runs body in a forked child, which leaves with body's result through _exit (no destructors,
// no test framework output). An exception escaping body ends the child with status 99.
pid_t StartChild(const std::function<int()>& body);
ChildEnd WaitChild(pid_t child);
ChildEnd RunChild(const std::function<int()>& body);
#endif

// The files a save leaves beside NAME while it works: ".NAME.lathwork-XXXXXX".
std::vector<std::string> TemporaryFiles(const std::filesystem::path& folder);

} // namespace lathwork::testkit
