#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace lathwork::cli {

// The words after the command: options ("--name value" or "--flag") and positional words.
// A word "--" ends the options: every word after it is positional, even one starting with "--".
struct Options {
    std::vector<std::string> positional; // without the "--"
    std::optional<std::size_t> endAt;    // how many positional words came before "--", if given
    std::map<std::string, std::vector<std::string>> values; // every value of a repeated option
    std::set<std::string> flags;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    // The last value given for an option, or fallback.
    std::string Value(const std::string& option, const std::string& fallback) const;
};

// Parses words; options not named in withValue or flags are an error (UsageError).
Options ParseOptions(std::span<const std::string> words, const std::set<std::string>& withValue,
                     const std::set<std::string>& flags);

// A whole number from lo to hi, or UsageError naming what it is.
int ParseInt(const std::string& text, int lo, int hi, const std::string& what);

} // namespace lathwork::cli
