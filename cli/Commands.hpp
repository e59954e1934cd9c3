#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace lathwork::cli {

// Each command gets the words after its name, prints its results to out and returns the exit
// status; errors are thrown as OptError and reported by main. A command that rewrites the
// file saves it only after every step succeeded.
using Words = std::span<const std::string>;

int ListCommand(Words words, std::ostream& out);
int ExtractCommand(Words words, std::ostream& out);
int IlluminateCommand(Words words, std::ostream& out);
int TransparencyCommand(Words words, std::ostream& out);
int AnimateCommand(Words words, std::ostream& out);
int CloakCommand(Words words, std::ostream& out);

} // namespace lathwork::cli
