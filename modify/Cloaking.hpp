#pragma once

#include "opt/OptImage.hpp"

#include <optional>
#include <string>

namespace lathwork {

// Stored Single -> the text a distance box shows: kilometres for 0 < v < 1 (at most two
// decimals), "NEVER" for 0 or NaN, "ALWAYS" for 1.0; nullopt for anything else (the box keeps
// its text).
std::optional<std::string> DistanceText(float stored);

// Box text -> stored Single: "NEVER"/"ALWAYS" in any case, or a positive number of kilometres.
// nullopt for any other text (it must never reach the file).
std::optional<float> DistanceValue(const std::string& text);

// What SCAN in Cloaking mode found: the texts for the two boxes (nullopt: the box keeps its
// text; the high box is reset to "never" before) and whether a second distance was read.
struct CloakingScan {
    std::optional<std::string> high;
    std::optional<std::string> low;
    bool cloakFound = false;
};

CloakingScan ScanCloakingDistances(const OptImage& image);

// Writes the two values into the distance table of every BranchNode. Nothing is inserted.
void WriteCloakingDistances(OptImage& image, float high, float low);

} // namespace lathwork
