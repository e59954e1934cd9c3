#include "cli/Commands.hpp"
#include "opt/OptError.hpp"

namespace lathwork::cli {

int ExtractCommand(Words, std::ostream&)
{
    throw OptError("The extract command is not available yet.");
}

} // namespace lathwork::cli
