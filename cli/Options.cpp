#include "cli/Options.hpp"

#include "cli/UsageError.hpp"

#include <charconv>

namespace lathwork::cli {

std::string Options::Value(const std::string& option, const std::string& fallback) const
{
    const auto found = values.find(option);
    return found == values.end() || found->second.empty() ? fallback : found->second.back();
}

Options ParseOptions(std::span<const std::string> words, const std::set<std::string>& withValue,
                     const std::set<std::string>& flags)
{
    Options options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--" && !options.endAt) {
            options.endAt = options.positional.size();
            continue;
        }
        if (options.endAt || word.rfind("--", 0) != 0) {
            options.positional.push_back(word);
            continue;
        }
        if (flags.count(word) != 0) {
            options.flags.insert(word);
        } else if (withValue.count(word) != 0) {
            if (i + 1 >= words.size()) {
                throw UsageError("The option " + word + " needs a value.");
            }
            options.values[word].push_back(words[++i]);
        } else {
            throw UsageError("Unknown option " + word + ".");
        }
    }
    return options;
}

int ParseInt(const std::string& text, int lo, int hi, const std::string& what)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lo || value > hi) {
        throw UsageError("Bad " + what + " \"" + text + "\": give a whole number from " +
                       std::to_string(lo) + " to " + std::to_string(hi) + ".");
    }
    return value;
}

} // namespace lathwork::cli
