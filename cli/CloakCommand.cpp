#include "cli/Commands.hpp"
#include "opt/OptError.hpp"

namespace lathwork::cli {

int CloakCommand(Words, std::ostream&)
{
    throw OptError("The cloak command is not available yet.");
}

} // namespace lathwork::cli
