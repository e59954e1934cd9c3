#pragma once

#include <string>

namespace lathwork::cli {

// A texture name typed on the command line, the reverse of NameText: decodes \xHH escapes and
// pads with zero bytes to 8. Throws UsageError for a malformed escape or a name over 8 bytes.
std::string DecodeName(const std::string& text);

} // namespace lathwork::cli
