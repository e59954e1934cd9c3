#include "opt/NameText.hpp"

#include <cstdio>

namespace lathwork {

std::string NameText(const std::string& stored)
{
    std::string trimmed = stored;
    while (!trimmed.empty() && trimmed.back() == '\0') {
        trimmed.pop_back();
    }
    std::string text;
    for (const char ch : trimmed) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte <= 0x7E && byte != '\\') {
            text += ch;
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        }
    }
    return text;
}

} // namespace lathwork
