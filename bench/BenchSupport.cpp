#include "BenchSupport.hpp"

#include <chrono>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lathwork::bench {

namespace fs = std::filesystem;

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Require(bool ok, const std::string& what)
{
    if (!ok) {
        throw std::runtime_error(what + ": " + std::strerror(errno));
    }
}

void PlainCopy(const fs::path& from, const fs::path& to, bool flush)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    Require(in >= 0, "open " + from.string());
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Require(out >= 0, "create " + to.string());
    std::vector<char> buffer(4 << 20);
    for (;;) {
        const ::ssize_t n = ::read(in, buffer.data(), buffer.size());
        Require(n >= 0, "read");
        if (n == 0) {
            break;
        }
        for (::ssize_t done = 0; done < n;) {
            const ::ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            Require(w > 0, "write");
            done += w;
        }
    }
    ::close(in);
    Require(!flush || ::fsync(out) == 0, "fsync");
    Require(::close(out) == 0, "close");
}

void DurableCopy(const fs::path& from, const fs::path& to)
{
    fs::path temporary = to;
    temporary += ".tmp";
    PlainCopy(from, temporary, true);
    fs::rename(temporary, to);
}

void Settle(std::initializer_list<fs::path> removed)
{
    for (const fs::path& path : removed) {
        fs::remove(path);
    }
    ::sync();
}

double RunProcess(std::vector<std::string> argv)
{
    std::vector<char*> args;
    for (std::string& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    ::posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ::pid_t pid = 0;
    int status = 0;
    const double t = Seconds([&] {
        Require(::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0, "spawn " + argv[0]);
        Require(::waitpid(pid, &status, 0) == pid, "wait");
    });
    ::posix_spawn_file_actions_destroy(&actions);
    Require(WIFEXITED(status) && WEXITSTATUS(status) == 0, argv[0] + " failed");
    return t;
}

} // namespace lathwork::bench
