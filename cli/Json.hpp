#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lathwork::cli {

// The JSON the command line writes, built as text. Values are passed as JSON text already.

// A JSON string of UTF-8 text: quote, backslash and control characters escaped; bytes that
// are not UTF-8 (a file name on a system that allows any bytes) become U+FFFD.
std::string JsonString(std::string_view text);
std::string JsonNumber(std::int64_t value);
std::string JsonBool(bool value);
inline const std::string kJsonNull = "null";

// {"key": value, ...} in the order added.
class JsonObject {
public:
    JsonObject& Add(std::string_view key, const std::string& value);
    std::string Text() const { return "{" + members_ + "}"; }

private:
    std::string members_;
};

// [value, ...]
std::string JsonArray(const std::vector<std::string>& values);

} // namespace lathwork::cli
