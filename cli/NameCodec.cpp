#include "cli/NameCodec.hpp"

#include "cli/UsageError.hpp"

namespace lathwork::cli {

namespace {

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string DecodeName(const std::string& text)
{
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x' || HexDigit(text[i + 2]) < 0 ||
            HexDigit(text[i + 3]) < 0) {
            throw UsageError("Bad texture name \"" + text + "\": a backslash must start \\xHH.");
        }
        name += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
        i += 3;
    }
    if (name.size() > 8) {
        throw UsageError("Bad texture name \"" + text + "\": a name holds at most 8 bytes.");
    }
    name.resize(8, '\0');
    return name;
}

} // namespace lathwork::cli
