#pragma once

#include "colour/Similarity.hpp"
#include "opt/Scans.hpp"

#include <vector>

namespace lathwork {

// The colour choice of the Illumination and Transparency modes at BEGIN.
struct ColourChoice {
    bool customSelect = false;     // "Custom select" (true) or "Entire texture" (false)
    std::vector<Rgb> picked;       // the picked-colour lists, row by row
    int tolerance = 32;            // the tolerance scroll bar, 0..255
};

// The selected items of the texture list, in list order (duplicates as listed).
struct IlluminationRequest {
    std::vector<TextureName> names;
    ColourChoice colours;
};

struct TransparencyRequest {
    std::vector<TextureName> names;
    ColourChoice colours;
    int opacity = 111;             // the opacity scroll bar, 0..255
};

// What a rewrite did, for the caller to report.
struct RewriteReport {
    std::vector<TextureName> notFound; // selected names no texture node carries, in order
    int texturesChanged = 0;           // texture nodes rewritten
    bool indexed = false;              // one walk served the whole run (see RewriteEngine)
};

} // namespace lathwork
