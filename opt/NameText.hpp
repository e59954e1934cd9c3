#pragma once

#include <string>

namespace lathwork {

// How a stored texture name is shown to the user, in the window and on the command line alike:
// its 8 stored bytes without the trailing zero bytes; bytes outside printable ASCII, and the
// backslash, written as \xHH (lower-case hex), so every name is readable and distinct.
std::string NameText(const std::string& stored);

} // namespace lathwork
