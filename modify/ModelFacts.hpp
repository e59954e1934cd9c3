#pragma once

#include "modify/Cloaking.hpp"
#include "imaging/TextureSummary.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lathwork {

// One texture node the walk reaches, with what it carries; summary is empty when its child
// count is neither 0 nor 1 (such a texture is never read or rewritten).
struct TextureFacts {
    TextureName name;
    std::int32_t node = 0;
    std::int32_t childCount = 0;
    std::optional<TextureSummary> summary;
};

// One texture set node the walk reaches.
struct SetFacts {
    enum class State { Animatable, Animated, Other };
    std::int32_t node = 0;
    std::int32_t members = 0; // NodeCount
    std::int32_t mode = 0;    // SetMode
    State state = State::Other;
    int number = 0;           // its "Tex Set" number when animatable, else 0
};

// What info tells about a model; everything a rewrite may read of it.
struct ModelFacts {
    std::int64_t size = 0;
    std::int32_t globalOffset = 0;
    std::vector<TextureFacts> textures; // in walk order, as the preview and extraction visit them
    std::vector<SetFacts> sets;         // in walk order
    CloakingScan cloaking;
};

// Throws OptError when any part of the model cannot be read: the file is damaged. With
// SummaryDetail::Layout the textures' self-lit colours are not read (see ReadTextureSummary).
ModelFacts ReadWholeModel(const OptImage& image, SummaryDetail detail = SummaryDetail::Full);

// Throws "Cannot modify PATH: the model is damaged (...); nothing written." unless the whole
// model can be read: a rewrite never starts on a model that the reading commands refuse.
void CheckWholeModel(const OptImage& image, const std::filesystem::path& path);

} // namespace lathwork
