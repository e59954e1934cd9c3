#include "cli/Commands.hpp"
#include "opt/OptError.hpp"

namespace lathwork::cli {

int TransparencyCommand(Words, std::ostream&)
{
    throw OptError("The transparency command is not available yet.");
}

} // namespace lathwork::cli
