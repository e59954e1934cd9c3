#pragma once

#include "colour/ColourChoice.hpp"
#include "opt/Scans.hpp"

#include <cstdint>
#include <vector>

namespace lathwork {

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

// What a rewrite did, for the caller to report (or to show before saving, as a dry run). Each
// rewrite fills the counts that concern it and leaves the others 0.
struct RewriteReport {
    std::vector<TextureName> notFound; // selected names no texture node carries, in order
    int texturesRewritten = 0;         // texture nodes changed, each counted once
    int palettesCopied = 0;            // private palette copies inserted
    int alphaNodesAdded = 0;           // AlphaNodes inserted
    int setsAnimated = 0;              // texture sets made animated
    int distanceTablesWritten = 0;     // BranchNode distance tables written (one per visit)
    std::int64_t bytesAdded = 0;       // growth of the file
};

} // namespace lathwork
