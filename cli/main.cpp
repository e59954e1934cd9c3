// lathwork-cli: the window's operations on one OPT file, from a shell.

#include "cli/Commands.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"

#include <iostream>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: lathwork-cli COMMAND FILE [options] [ARGS]\n"
    "  list illumination|transparency|sets FILE\n"
    "  list set-textures FILE K\n"
    "  extract FILE\n"
    "  illuminate FILE [--colour R,G,B]... [--tolerance T] (--all | NAME...)\n"
    "  transparency FILE [--opacity V] [--colour R,G,B]... [--tolerance T] (--all | NAME...)\n"
    "  animate FILE (--all | K...)\n"
    "  cloak FILE [--high TEXT] [--low TEXT]\n"
    "  --help | --version\n";

// The rest of --help, after the usage.
constexpr const char* kHelp =
    "Runs the window's operations on one OPT model FILE. A rewrite replaces the file only when\n"
    "every step succeeded. Texture names are their stored bytes, \\xHH for odd bytes; K counts\n"
    "texture sets from 1 in the order of \"list sets\".\n"
    "Options:\n"
    "  --colour R,G,B   a picked colour (repeatable); without it the whole texture changes\n"
    "  --tolerance T    how far each channel may lie from a picked colour, 0-255 (32)\n"
    "  --opacity V      the opacity written, 0 (clear) to 255 (solid) (111)\n"
    "  --all            every listed item instead of the items named\n"
    "  --high TEXT      high-visibility distance: kilometres, NEVER or ALWAYS\n"
    "  --low TEXT       low-visibility distance: kilometres, NEVER or ALWAYS\n"
    "  --help           show this help\n"
    "  --version        show the version\n"
    "Exit status: 0 success; 1 the command failed (message on stderr, model left as it was);\n"
    "2 no command or an unknown command.\n";

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
    const std::map<std::string, int (*)(Words, std::ostream&)> commands = {
        {"list", ListCommand},         {"extract", ExtractCommand}, {"illuminate", IlluminateCommand},
        {"transparency", TransparencyCommand}, {"animate", AnimateCommand}, {"cloak", CloakCommand},
    };
    const auto command = commands.find(args[0]);
    if (command == commands.end()) {
        std::cerr << "lathwork-cli: unknown command \"" << args[0] << "\"\n" << kUsage;
        return 2;
    }
    try {
        const int status = command->second(Words(args).subspan(1), std::cout);
        std::cout.flush();
        return status;
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
