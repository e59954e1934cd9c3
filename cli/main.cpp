// lathwork-cli: the window's operations on OPT files, from a shell.

#include "cli/Commands.hpp"
#include "cli/Progress.hpp"
#include "cli/UsageError.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"

#include <iostream>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: lathwork-cli COMMAND FILE... [options] [ARGS]\n"
    "  info FILE... [--json] [--quiet]\n"
    "  list illumination|transparency|sets FILE... [--json] [--quiet]\n"
    "  list set-textures FILE... K [--json] [--quiet]\n"
    "  extract FILE... [--quiet]\n"
    "  illuminate FILE... [--] [--colour R,G,B]... [--tolerance T] [--dry-run] [--verbose] [--quiet] (--all | NAME...)\n"
    "  transparency FILE... [--] [--opacity V] [--colour R,G,B]... [--tolerance T] [--dry-run] [--verbose] [--quiet] (--all | NAME...)\n"
    "  animate FILE... [--] [--dry-run] [--verbose] [--quiet] (--all | K...)\n"
    "  cloak FILE... [--json] [--quiet]\n"
    "  cloak FILE... [--high TEXT] [--low TEXT] [--dry-run] [--verbose] [--quiet]\n"
    "  --help | --version\n";

// The rest of --help, after the usage.
constexpr const char* kHelp =
    "Runs the window's operations on OPT model files. A FILE that is a folder stands for every\n"
    "*.opt in it (any case, not recursive), in name order. Each file is worked on by itself: a\n"
    "rewrite replaces a file only when every step on it succeeded, and a file that fails is named\n"
    "on stderr while the others go on. Every FILE after the first ends in .opt or is a folder;\n"
    "the names or set numbers of illuminate, transparency and animate follow the FILEs (-- ends\n"
    "them explicitly). Texture names are their stored bytes,\n"
    "\\xHH for odd bytes; K counts texture sets from 1 in the order of \"list sets\".\n"
    "Options:\n"
    "  --colour R,G,B   a picked colour (repeatable); without it the whole texture changes\n"
    "  --tolerance T    how far each channel may lie from a picked colour, 0-255 (32)\n"
    "  --opacity V      the opacity written, 0 (clear) to 255 (solid) (111)\n"
    "  --all            every listed item instead of the items named\n"
    "  --high TEXT      high-visibility distance: kilometres, NEVER or ALWAYS\n"
    "  --low TEXT       low-visibility distance: kilometres, NEVER or ALWAYS\n"
    "  --dry-run        print per file what the rewrite would change, and write nothing\n"
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

} // namespace

int main(int argc, char** argv)
{
    using namespace lathwork::cli;
    const lathwork::platform::Utf8Console console;
    const std::vector<std::string> args = lathwork::platform::CommandLineWords(argc, argv);
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
    Console streams{std::cout, std::cerr, lathwork::platform::StandardErrorIsTerminal()};
    try {
        const int status = command->second(Words(args).subspan(1), streams);
        std::cout.flush();
        return status;
    } catch (const UsageError& error) {
        std::cerr << "lathwork-cli: " << error.what() << "\n";
        return 2;
    } catch (const lathwork::OptError& error) {
        std::cout.flush();
        std::cerr << "lathwork-cli: " << error.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "lathwork-cli: there is not enough memory for this file.\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "lathwork-cli: " << error.what() << "\n";
        return 1;
    }
}
