#include "testkit/TestFiles.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace lathwork::testkit {

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "lathwork-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    // Give back write permission first so read-only test folders can be removed.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::vector<std::string> TempFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

CommandResult RunCommand(const std::vector<std::string>& argv)
{
    TempFolder capture;
    const fs::path outPath = capture / "out";
    const fs::path errPath = capture / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        std::FILE* out = std::freopen(outPath.c_str(), "w", stdout);
        std::FILE* err = std::freopen(errPath.c_str(), "w", stderr);
        if (out == nullptr || err == nullptr) {
            std::_Exit(127);
        }
        std::vector<char*> args;
        for (const std::string& word : argv) {
            args.push_back(const_cast<char*>(word.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        std::_Exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    CommandResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto out = ReadFile(outPath);
    const auto err = ReadFile(errPath);
    result.out.assign(out.begin(), out.end());
    result.err.assign(err.begin(), err.end());
    return result;
}

} // namespace lathwork::testkit
