#pragma once

// Temporary folders, whole-file reads and running programs, for tests on every system.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lathwork::testkit {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Runs a program (argv[0], a path) with arguments given as UTF-8, capturing stdout and stderr.
struct CommandResult {
    int status = -1; // the exit status; -1 when the program was killed
    std::string out;
    std::string err;
};
CommandResult RunCommand(const std::vector<std::string>& argv);

// A program started in the background, its output thrown away; killed when it goes out of
// scope still running.
class RunningCommand {
public:
    explicit RunningCommand(const std::vector<std::string>& argv);
    ~RunningCommand();
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    // Ends the program at once, as a power cut or the task manager would (SIGKILL,
    // TerminateProcess); it gets no chance to clean up.
    void Kill();
    // Waits for the end: the exit status, or -1 when it was killed.
    int Wait();

private:
    std::intptr_t process_ = -1; // a process id or a process handle
    bool done_ = false;
    int status_ = -1;
};

} // namespace lathwork::testkit
