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

// The distance scale: a ship's left edge at x = 0 is 0 km (ALWAYS), at x = kScaleEnd it is
// 2^zoom km (and NEVER).
inline constexpr int kScaleEnd = 232;
inline constexpr int kZoomMin = 1;
inline constexpr int kZoomMax = 10;

// Pixels per kilometre: 232 / 2^zoom.
double ScaleFactor(int zoom);

// The scale length label: "2 km" ... "1024 km".
std::string ZoomText(int zoom);

// The change rule of a distance box: either the text is replaced (and the rule runs again on
// the new text), or the ship moves to x with a tooltip, or nothing happens.
struct BoxChange {
    std::optional<std::string> replaceWith;
    std::optional<int> x;
    std::string tooltip;
};
BoxChange ApplyBoxChange(const std::string& text, int zoom);

// The text a box ends up with once its change rule has replaced it: "." -> "0.01",
// a number equal to 0 -> "ALWAYS"; other texts stay.
std::string SettledText(std::string text);

// Where a zoom change puts a ship for its box text: NEVER at 232, ALWAYS at 0, a positive
// number k at k * f. nullopt (the ship stays) for any other text.
std::optional<int> ShipPosition(const std::string& text, int zoom);

// A dragged ship's left edge: the pointer x clamped to 0..232 (NaN gives 0).
int ClampDragX(double pointerX);

// The text a box gets when its ship is dragged to x: x / f rounded to two decimals.
std::string DragText(int x, int zoom);

} // namespace lathwork
