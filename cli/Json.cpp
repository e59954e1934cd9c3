#include "cli/Json.hpp"

#include <cstdio>

namespace lathwork::cli {

namespace {

// The length of the UTF-8 character at text[i], or 0 when no well-formed one starts there
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lo = lead == 0xE0 ? 0xA0 : 0x80;
        hi = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < lo || byte(i + 1) > hi) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            json += "\xEF\xBF\xBD"; // U+FFFD
            ++i;
        } else if (ch == '"' || ch == '\\') {
            json += '\\';
            json += ch;
            ++i;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char escape[7];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(ch));
            json += escape;
            ++i;
        } else {
            json.append(text.substr(i, length));
            i += length;
        }
    }
    return json + "\"";
}

std::string JsonNumber(std::int64_t value)
{
    return std::to_string(value);
}

std::string JsonBool(bool value)
{
    return value ? "true" : "false";
}

JsonObject& JsonObject::Add(std::string_view key, const std::string& value)
{
    members_ += (members_.empty() ? "" : ",") + JsonString(key) + ":" + value;
    return *this;
}

std::string JsonArray(const std::vector<std::string>& values)
{
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        json += (i == 0 ? "" : ",") + values[i];
    }
    return json + "]";
}

} // namespace lathwork::cli
