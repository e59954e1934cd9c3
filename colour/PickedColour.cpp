#include "colour/PickedColour.hpp"

namespace lathwork {

std::string ChannelText(int channel)
{
    return std::to_string(channel);
}

std::string SwatchText(const Rgb& colour)
{
    return ChannelText(colour.red) + ", " + ChannelText(colour.green) + ", " + ChannelText(colour.blue);
}

std::optional<int> ParseChannel(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
        value = value * 10 + (ch - '0');
        if (value > 255) {
            return std::nullopt; // stops before a long run of digits could overflow
        }
    }
    return value;
}

std::optional<Rgb> ParsePickedColour(std::string_view red, std::string_view green, std::string_view blue)
{
    const auto r = ParseChannel(red);
    const auto g = ParseChannel(green);
    const auto b = ParseChannel(blue);
    if (!r || !g || !b) {
        return std::nullopt;
    }
    return Rgb{*r, *g, *b};
}

} // namespace lathwork
