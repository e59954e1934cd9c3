// lathwork-cli: the window's operations on OPT files, from a shell.

#include "cli/Commands.hpp"
#include "cli/Json.hpp"
#include "cli/Progress.hpp"
#include "cli/UsageError.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iostream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: lathwork-cli COMMAND FILE... [options] [ARGS]\n"
    "  info FILE... [--json] [--quiet]\n"
    "  list illumination|transparency|sets FILE... [--json] [--quiet]\n"
    "  list set-textures FILE... K [--json] [--quiet]\n"
    "  extract FILE... [--json] [--quiet]\n"
    "  illuminate FILE... [--colour R,G,B]... [--tolerance T] [--dry-run] [--verbose] [--break-links] [--json] [--quiet] (--all | [--] NAME...)\n"
    "  transparency FILE... [--opacity V] [--colour R,G,B]... [--tolerance T] [--dry-run] [--verbose] [--break-links] [--json] [--quiet] (--all | [--] NAME...)\n"
    "  animate FILE... [--dry-run] [--verbose] [--break-links] [--json] [--quiet] (--all | [--] K...)\n"
    "  cloak FILE... [--json] [--quiet]\n"
    "  cloak FILE... [--high TEXT] [--low TEXT] [--dry-run] [--verbose] [--break-links] [--json] [--quiet]\n"
    "  COMMAND --help | --help | --version\n";

// The rest of --help, after the usage.
constexpr const char* kHelp =
    "Runs the window's operations on OPT model files. A FILE that is a folder stands for every\n"
    "*.opt in it (any case, not recursive), in name order. Each file is worked on by itself: a\n"
    "rewrite replaces a file only when every step on it succeeded, and a file that fails is named\n"
    "on stderr while the others go on. Every FILE after the first ends in .opt (any case) or in /\n"
    "(a folder); what the current folder holds never changes how words are read. -- ends the\n"
    "options: every word after it is a FILE, or for illuminate, transparency and animate, the\n"
    "FILEs come before -- and the names or set numbers after it. Texture names are their stored bytes,\n"
    "\\xHH for odd bytes; K counts texture sets from 1 in the order of \"list sets\".\n"
    "Options:\n"
    "  --colour R,G,B   a picked colour (repeatable); without it the whole texture changes\n"
    "  --tolerance T    how far each channel may lie from a picked colour, 0-255 (32)\n"
    "  --opacity V      the opacity written, 0 (clear) to 255 (solid) (111)\n"
    "  --all            every listed item instead of the items named\n"
    "  --high TEXT      high-visibility distance: kilometres, NEVER or ALWAYS\n"
    "  --low TEXT       low-visibility distance: kilometres, NEVER or ALWAYS\n"
    "  --dry-run        print per file what the rewrite would change, and write nothing\n"
    "  --break-links    rewrite a model that has other names (hard links), which keep the old one\n"
    "  --verbose        print per file what the rewrite changed\n"
    "  --json           print one JSON document (see the manual page)\n"
    "  --quiet          no progress line on a terminal\n"
    "  --help           show this help\n"
    "  --version        show the version\n"
    "Exit status: 0 every file succeeded; 1 a file failed (message on stderr, that model left as\n"
    "it was); 2 a wrong command line (nothing done).\n";

#ifndef LATHWORK_VERSION
#define LATHWORK_VERSION "unknown"
#endif

// Whether one of the words is among the options of the command (before "--").
bool HasOption(const std::vector<std::string>& args, std::initializer_list<const char*> names)
{
    for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        for (const char* name : names) {
            if (args[i] == name) {
                return true;
            }
        }
    }
    return false;
}

// A command that fails as a whole still gives a script asking for JSON one document to read.
void ReportFailure(const std::vector<std::string>& args, const std::string& message)
{
    if (HasOption(args, {"--json"})) {
        std::cout << "{\"files\":[],\"error\":" << lathwork::cli::JsonString(message) << "}\n";
    }
    std::cout.flush();
    std::cerr << "lathwork-cli: " << message << "\n";
}

std::string CommandUsage(const std::string& command)
{
    std::string usage = "usage:\n";
    std::istringstream lines(kUsage);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  " + command + " ", 0) == 0) {
            usage += "  lathwork-cli " + line.substr(2) + "\n";
        }
    }
    return usage + "Options are described by lathwork-cli --help and the manual page lathwork-cli(1).\n";
}

// Results that never reached standard output (a full disk, a closed pipe) are a failure: a
// script must not take a cut-off listing for a whole one.
int FinishOutput(int status)
{
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) == 0 && std::cout && std::ferror(stdout) == 0) {
        return status;
    }
    const int error = errno;
    std::cerr << "lathwork-cli: cannot write the output" << (error != 0 ? std::string(": ") + std::strerror(error) : "")
              << ".\n";
    return 1;
}

int Run(const std::vector<std::string>& args)
{
    using namespace lathwork::cli;
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage << kHelp;
        return 0;
    }
    if (args[0] == "--version") {
        std::cout << "lathwork-cli " LATHWORK_VERSION "\n";
        return 0;
    }
    const std::map<std::string, int (*)(Words, Console&)> commands = {
        {"info", InfoCommand},         {"list", ListCommand},       {"extract", ExtractCommand},
        {"illuminate", IlluminateCommand}, {"transparency", TransparencyCommand}, {"animate", AnimateCommand},
        {"cloak", CloakCommand},
    };
    const auto command = commands.find(args[0]);
    if (command == commands.end()) {
        std::cerr << "lathwork-cli: unknown command \"" << args[0] << "\"\n" << kUsage;
        return 2;
    }
    if (HasOption(args, {"--help", "-h"})) {
        std::cout << CommandUsage(args[0]);
        return 0;
    }
    Console streams{std::cout, std::cerr, lathwork::platform::StandardErrorIsTerminal()};
    try {
        return command->second(Words(args).subspan(1), streams);
    } catch (const UsageError& error) {
        ReportFailure(args, error.what());
        return 2;
    } catch (const std::bad_alloc&) {
        ReportFailure(args, "there is not enough memory for this file.");
        return 1;
    } catch (const std::exception& error) {
        ReportFailure(args, error.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const lathwork::platform::Utf8Console console;
    return FinishOutput(Run(lathwork::platform::CommandLineWords(argc, argv)));
}
