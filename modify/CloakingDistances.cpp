#include "modify/Cloaking.hpp"

#include "opt/OptError.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace lathwork {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::string Shortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

DistanceWord WordOf(const std::string& text)
{
    const std::string upper = Upper(text);
    if (upper == "NEVER") {
        return DistanceWord::Never;
    }
    if (upper == "ALWAYS") {
        return DistanceWord::Always;
    }
    return DistanceWord::None;
}

std::optional<double> ParseNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatKilometres(double kilometres)
{
    // nearbyint under the default rounding mode rounds half to even.
    const double cents = std::nearbyint(kilometres * 100);
    if (!(std::fabs(cents) < 1e15)) {
        return Shortest(kilometres); // beyond two decimals' reach; still a number the box reads back
    }
    const auto whole = static_cast<std::int64_t>(cents);
    const std::int64_t magnitude = whole < 0 ? -whole : whole;
    std::string text = (whole < 0 ? "-" : "") + std::to_string(magnitude / 100);
    const auto fraction = static_cast<int>(magnitude % 100);
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) {
            text += static_cast<char>('0' + fraction % 10);
        }
    }
    return text;
}

std::optional<std::string> DistanceText(float stored)
{
    if (std::isnan(stored) || stored == 0.0f) {
        return "NEVER";
    }
    if (stored == 1.0f) {
        return "ALWAYS";
    }
    if (stored > 0.0f && stored < 1.0f) {
        return FormatKilometres(kDistanceScale * std::pow(static_cast<double>(stored), kDistancePower));
    }
    return std::nullopt;
}

std::optional<float> DistanceValue(const std::string& text)
{
    switch (WordOf(text)) {
    case DistanceWord::Never: return 0.0f;
    case DistanceWord::Always: return 1.0f;
    case DistanceWord::None: break;
    }
    const auto kilometres = ParseNumber(text);
    if (!kilometres || !(*kilometres > 0)) {
        return std::nullopt;
    }
    const double stored = std::pow(*kilometres / kDistanceScale, 1.0 / kDistancePower);
    if (!(stored <= std::numeric_limits<float>::max())) {
        return std::nullopt; // a few micrometres: no Single holds it
    }
    return static_cast<float>(stored);
}

float RequireDistanceValue(const std::string& text, const std::string& what)
{
    const auto value = DistanceValue(text);
    if (!value) {
        throw OptError("The " + what + " \"" + text +
                       "\" is neither NEVER, ALWAYS nor a positive number of kilometres; nothing was written.");
    }
    return *value;
}

bool SortsAsWord(const std::string& text) { return text.compare("9999") > 0 || text.compare("-9999") < 0; }

std::optional<float> BoxKilometres(const std::string& text)
{
    const auto number = ParseNumber(text);
    if (!number || std::fabs(*number) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(*number);
}

std::optional<std::string> ReplacementText(const std::string& text)
{
    if (text == ".") {
        return "0.01";
    }
    if (SortsAsWord(text)) {
        return std::nullopt;
    }
    const auto kilometres = BoxKilometres(text);
    if (kilometres && *kilometres == 0.0f) {
        return "ALWAYS";
    }
    return std::nullopt;
}

std::string SettledText(std::string text)
{
    // Each replacement yields a text the rule leaves alone, so this ends after two rounds.
    while (auto replacement = ReplacementText(text)) {
        text = std::move(*replacement);
    }
    return text;
}

} // namespace lathwork
