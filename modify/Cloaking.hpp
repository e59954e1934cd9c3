#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <bit>
#include <cstdint>
#include <optional>
#include <string>

namespace lathwork {

// Kilometres k and a stored distance v are tied by k = C * v^P. The two constants are kept as
// exact bit patterns so that every build converts to the same Single.
inline constexpr double kDistanceScale = std::bit_cast<double>(std::uint64_t{0x3EFDEC57B5264598}); // 2.8537e-05
inline constexpr double kDistancePower = std::bit_cast<double>(std::uint64_t{0xBFF15B60FF1E58B1}); // -1.0848093

// Stored Single -> the text a distance box shows: kilometres for 0 < v < 1 (at most two
// decimals), "NEVER" for 0 or NaN, "ALWAYS" for 1.0; nullopt for anything else (the box keeps
// its text).
std::optional<std::string> DistanceText(float stored);

// Box text -> stored Single: "NEVER"/"ALWAYS" in any case, or a positive number of kilometres.
// nullopt for any other text (it must never reach the file). "0" is not positive and gives
// nullopt: the box itself never holds it, its change rule turns it into "ALWAYS" (SettledText).
// A number so small that the stored value would overflow a Single is refused too.
std::optional<float> DistanceValue(const std::string& text);

// DistanceValue, or OptError naming what (e.g. "high-visibility distance") and the text.
float RequireDistanceValue(const std::string& text, const std::string& what);

// The words a box may hold besides kilometres, compared in upper case.
enum class DistanceWord { None, Never, Always };
DistanceWord WordOf(const std::string& text);

// A decimal number filling the whole text ("12", "0.5", ".5", "1e3"; no sign other than a
// leading minus, no blanks), finite; nullopt otherwise.
std::optional<double> ParseNumber(const std::string& text);

// Kilometres rounded half to even to two decimals, shown without trailing zeros: "2.5", "3".
std::string FormatKilometres(double kilometres);

// What SCAN in Cloaking mode found: the texts for the two boxes (nullopt: the box keeps its
// text; the high box is reset to "never" before) and whether a second distance was read.
struct CloakingScan {
    std::optional<std::string> high;
    std::optional<std::string> low;
    bool cloakFound = false;
};

// Walks to every BranchNode; the boxes take entries 1 and 2 of the first one whose distance
// table has two entries (a one-entry table before it sets only the high text). A distance
// table that lies outside the file gives OptError.
CloakingScan ScanCloakingDistances(const OptImage& image);

// Writes the values into the distance table of every BranchNode: entry 1 high, entries 2 to n
// low. Nothing is inserted. low may be empty when the scan found no second distance; a table
// with two entries then gives OptError (the file changed since the scan). A distance table
// outside the file gives OptError; the caller discards the image then.
RewriteReport WriteCloakingDistances(OptImage& image, float high, std::optional<float> low);

// The change rule of a distance box reads its text in two ways. Texts that sort outside
// "-9999".."9999" by character code are words: letters, the empty text, a leading blank or
// plus, and negative numbers such as -5. Other texts are read as a Single (nullopt when they
// are no number or beyond a Single).
bool SortsAsWord(const std::string& text);
std::optional<float> BoxKilometres(const std::string& text);

// The text the change rule puts in place of this one: "." -> "0.01", a number equal to 0 ->
// "ALWAYS"; nullopt when the text stays.
std::optional<std::string> ReplacementText(const std::string& text);

// The text a box ends up with once its change rule has replaced it.
std::string SettledText(std::string text);

} // namespace lathwork
