#pragma once

// The rewrites a fuzz input can ask for, with a request read from the input.

#include "FuzzProperties.hpp"
#include "modify/Requests.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptImage.hpp"

#include <optional>
#include <string>
#include <vector>

namespace lathwork::fuzz {

enum class RewriteKind { IlluminateEntire, IlluminateCustom, Transparency, Animate, Cloak };

struct Operation {
    RewriteKind kind = RewriteKind::IlluminateEntire;
    std::vector<TextureName> names;   // illumination and transparency
    ColourChoice colours;
    int opacity = 111;
    std::vector<int> rows;            // animation
    float high = 0;                   // cloaking
    std::optional<float> low;
};

// What the image offers to choose from, read by the scans before the rewrite (empty where a
// scan failed).
struct Choices {
    std::vector<TextureName> names;   // every name a texture node carries
    int setCount = 0;                 // qualifying texture sets
    bool lowFound = false;            // the cloaking scan read a second distance
};

Choices ReadChoices(const OptImage& image);

// Mostly names and rows that exist, sometimes ones that do not; colours, tolerance and opacity
// in their ranges; any Single for the distances.
Operation DeriveOperation(InputReader& in, const Choices& choices);

// Runs the rewrite on the image; throws OptError as the rewrite does. The engine matters to
// illumination and transparency only.
// With walking, the illumination and transparency rewrites run on the walking oracle.
void Apply(OptImage& image, const Operation& operation, bool walking = false);

} // namespace lathwork::fuzz
