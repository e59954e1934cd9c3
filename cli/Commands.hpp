#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace lathwork::cli {

// Where a command writes: its results to out; errors, and progress on a terminal, to err.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
};

// Each command gets the words after its name and returns the exit status: 0 when every file
// succeeded, 1 when any failed. A wrong command line is thrown as UsageError before any file is
// touched; a failure of one file is reported on err and the next file still runs. A command
// that rewrites a file saves it only after every step on that file succeeded.
using Words = std::span<const std::string>;

int InfoCommand(Words words, Console& console);
int ListCommand(Words words, Console& console);
int ExtractCommand(Words words, Console& console);
int IlluminateCommand(Words words, Console& console);
int TransparencyCommand(Words words, Console& console);
int AnimateCommand(Words words, Console& console);
int CloakCommand(Words words, Console& console);

} // namespace lathwork::cli
