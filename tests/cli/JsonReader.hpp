#pragma once

// A small strict reader of the JSON lathwork-cli prints. It refuses raw control characters, bad
// escapes, strings that are not UTF-8 and text after the document, and flattens the document
// into paths: {"files":[{"size":5,"low":null}]} gives files/0/size = "5", files/0/low = "null"
// (the string "null" would be "\"null"), and files/# = "1", the length of the array.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lathwork::testkit {

// True for shortest-form UTF-8 of scalar values.
inline bool IsUtf8(std::string_view t)
{
    for (std::size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
        if (n == 0 || i + n > t.size()) {
            return false;
        }
        unsigned code = n == 1 ? c : c & (0x7Fu >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto b = static_cast<unsigned char>(t[i + k]);
            if ((b & 0xC0) != 0x80) {
                return false;
            }
            code = code << 6 | (b & 0x3Fu);
        }
        if ((n == 3 && code < 0x800) || (n == 4 && (code < 0x10000 || code > 0x10FFFF)) || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += n;
    }
    return true;
}

class JsonReader {
public:
    using Flat = std::map<std::string, std::string>;

    // Strings come out as "\"" followed by their text; other values as written.
    static Flat Parse(std::string_view text)
    {
        JsonReader reader(text);
        reader.Value("");
        reader.Take("");
        reader.Expect(reader.at_ == text.size(), "text after the document");
        return reader.flat_;
    }

private:
    explicit JsonReader(std::string_view text) : s_(text) {}

    void Expect(bool ok, const char* what) const
    {
        if (!ok) {
            throw std::runtime_error(std::string("bad JSON: ") + what + " at " + std::to_string(at_));
        }
    }
    // Skips blanks, then takes word if it stands next.
    bool Take(std::string_view word)
    {
        while (at_ < s_.size() && std::string_view(" \n\r\t").find(s_[at_]) != std::string_view::npos) {
            ++at_;
        }
        const bool found = s_.substr(at_, word.size()) == word;
        at_ += found ? word.size() : 0;
        return found;
    }

    static std::string Join(const std::string& path, const std::string& key)
    {
        return path.empty() ? key : path + "/" + key;
    }

    void Value(const std::string& path)
    {
        int count = 0;
        if (Take("\"")) {
            flat_[path] = "\"" + StringRest();
        } else if (Take("[")) {
            List("]", [&] { Value(Join(path, std::to_string(count++))); });
            flat_[Join(path, "#")] = std::to_string(count);
        } else if (Take("{")) {
            List("}", [&] {
                Expect(Take("\""), "no key");
                const std::string key = StringRest();
                Expect(Take(":"), "no colon");
                Value(Join(path, key));
            });
        } else {
            const std::size_t start = at_;
            while (at_ < s_.size() && std::string_view("-0123456789nulltruefalse").find(s_[at_]) != std::string_view::npos) {
                ++at_;
            }
            const std::string word(s_.substr(start, at_ - start));
            Expect(word == "null" || word == "true" || word == "false" ||
                       (!word.empty() && word.find_first_not_of("-0123456789") == std::string::npos),
                   "no value");
            flat_[path] = word;
        }
    }

    template <typename Item>
    void List(std::string_view close, Item item)
    {
        if (Take(close)) {
            return;
        }
        do {
            item();
        } while (Take(","));
        Expect(Take(close), "unclosed list");
    }

    // The rest of a string after its opening quote.
    std::string StringRest()
    {
        std::string out;
        for (;;) {
            Expect(at_ < s_.size(), "unclosed string");
            const char ch = s_[at_++];
            Expect(static_cast<unsigned char>(ch) >= 0x20, "raw control character");
            if (ch == '"') {
                break;
            }
            if (ch != '\\') {
                out += ch;
                continue;
            }
            Expect(at_ < s_.size(), "unclosed string");
            const char e = s_[at_++];
            const std::string_view simple = "\"\\/bfnrt";
            if (simple.find(e) != std::string_view::npos) {
                out += "\"\\/\b\f\n\r\t"[simple.find(e)];
                continue;
            }
            // The tool escapes control characters only; any other \u is no output of its.
            Expect(e == 'u' && s_.substr(at_, 2) == "00" && at_ + 4 <= s_.size(), "bad escape");
            out += static_cast<char>(std::stoi(std::string(s_.substr(at_ + 2, 2)), nullptr, 16));
            at_ += 4;
        }
        Expect(IsUtf8(out), "not UTF-8");
        return out;
    }

    std::string_view s_;
    std::size_t at_ = 0;
    Flat flat_;
};

} // namespace lathwork::testkit
