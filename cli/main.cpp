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
    "  cloak FILE [--high TEXT] [--low TEXT]\n";

} // namespace

int main(int argc, char** argv)
{
    using namespace lathwork::cli;
    const lathwork::platform::Utf8Console console;
    const std::vector<std::string> args = lathwork::platform::CommandLineWords(argc, argv);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? std::cerr : std::cout) << kUsage;
        return args.empty() ? 2 : 0;
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
