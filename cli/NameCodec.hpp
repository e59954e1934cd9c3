#pragma once

#include <string>

namespace lathwork::cli {

// A texture name on the command line: its 8 stored bytes without the trailing zero bytes;
// bytes outside printable ASCII, and the backslash, written as \xHH (lower-case hex).
std::string EncodeName(const std::string& stored);

// The reverse: decodes \xHH escapes and pads with zero bytes to 8. Throws UsageError for a
// malformed escape or a name longer than 8 bytes.
std::string DecodeName(const std::string& text);

} // namespace lathwork::cli
