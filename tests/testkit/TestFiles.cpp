#include "testkit/TestFiles.hpp"

#include "opt/Platform.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace lathwork::testkit {

TempFolder::TempFolder()
{
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("lathwork-test-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    // Give back write permission first so read-only test folders and files can be removed.
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
        names.push_back(platform::PathToUtf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + platform::PathToUtf8(path));
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + platform::PathToUtf8(path));
    }
}

namespace {

// A program's output with its lines ended by "\n": Windows programs write "\r\n" to text streams.
std::string ReadText(const fs::path& path)
{
    const auto bytes = ReadFile(path);
    std::string text(bytes.begin(), bytes.end());
#ifdef _WIN32
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            lines += text[i];
        }
    }
    text = lines;
#endif
    return text;
}

#ifdef _WIN32

// One argument as the C runtime splits a command line: quotes around it, and backslashes
// doubled where they stand before a quote.
std::wstring Quoted(const std::wstring& word)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t ch : word) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(ch == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += ch;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

HANDLE Inheritable(const fs::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::intptr_t Start(const std::vector<std::string>& argv, const fs::path& out, const fs::path& err)
{
    std::wstring line;
    for (const std::string& word : argv) {
        line += (line.empty() ? L"" : L" ") + Quoted(platform::PathFromUtf8(word).wstring());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = Inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = Inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const fs::path program = platform::PathFromUtf8(argv.at(0));
    // Under Wine a start now and then fails while other tests start programs at the same moment;
    // a few more tries tell that apart from a program that cannot start at all.
    BOOL started = FALSE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0) {
            ::Sleep(200);
        }
        started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                   &startup, &process);
        error = started ? 0 : ::GetLastError();
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        ::CloseHandle(handle);
    }
    if (!started) {
        throw std::runtime_error("cannot start " + argv.at(0) + " (error " + std::to_string(error) + ")");
    }
    ::CloseHandle(process.hThread);
    return reinterpret_cast<std::intptr_t>(process.hProcess);
}

void KillProcess(std::intptr_t process)
{
    ::TerminateProcess(reinterpret_cast<HANDLE>(process), 137);
}

// A killed process reports the code TerminateProcess gave it.
int WaitProcess(std::intptr_t process)
{
    const auto handle = reinterpret_cast<HANDLE>(process);
    ::WaitForSingleObject(handle, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(handle, &code);
    ::CloseHandle(handle);
    return code == 137 ? -1 : static_cast<int>(code);
}

#else

std::intptr_t Start(const std::vector<std::string>& argv, const fs::path& out, const fs::path& err)
{
    std::fflush(nullptr); // or the child would write our buffered output a second time
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("cannot start " + argv.at(0));
    }
    if (child == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0) {
            ::_exit(127);
        }
        std::vector<char*> args;
        for (const std::string& word : argv) {
            args.push_back(const_cast<char*>(word.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return child;
}

void KillProcess(std::intptr_t process)
{
    ::kill(static_cast<pid_t>(process), SIGKILL);
}

int WaitProcess(std::intptr_t process)
{
    int status = 0;
    while (::waitpid(static_cast<pid_t>(process), &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

const fs::path& NullDevice()
{
#ifdef _WIN32
    static const fs::path device = "NUL";
#else
    static const fs::path device = "/dev/null";
#endif
    return device;
}

} // namespace

CommandResult RunCommand(const std::vector<std::string>& argv)
{
    TempFolder capture;
    const fs::path outPath = capture / "out";
    const fs::path errPath = capture / "err";
    CommandResult result;
    result.status = WaitProcess(Start(argv, outPath, errPath));
    result.out = ReadText(outPath);
    result.err = ReadText(errPath);
    return result;
}

RunningCommand::RunningCommand(const std::vector<std::string>& argv) : process_(Start(argv, NullDevice(), NullDevice()))
{
}

RunningCommand::~RunningCommand()
{
    if (!done_) {
        Kill();
        Wait();
    }
}

void RunningCommand::Kill()
{
    if (!done_) {
        KillProcess(process_);
    }
}

int RunningCommand::Wait()
{
    if (!done_) {
        status_ = WaitProcess(process_);
        done_ = true;
    }
    return status_;
}

} // namespace lathwork::testkit
