#pragma once

#include "colour/Similarity.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace lathwork {

// The texts the picked-colour lists and the swatch show, and their safe reading back.

// A channel as a list row holds it: decimal, no sign, no leading zeros ("0" to "255").
std::string ChannelText(int channel);

// The swatch text: red, ", ", green, ", ", blue ("12, 200, 7").
std::string SwatchText(const Rgb& colour);

// The number in a list row: a whole decimal number 0..255 made of digits only (leading zeros
// allowed). nullopt for anything else: empty text, a sign, blanks, letters, values above 255.
std::optional<int> ParseChannel(std::string_view text);

// Row i of a mode's red, green and blue lists as one colour; nullopt when any of the three
// texts is not a channel value.
std::optional<Rgb> ParsePickedColour(std::string_view red, std::string_view green, std::string_view blue);

} // namespace lathwork
