#pragma once

#include "opt/OptView.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace lathwork {

// A texture list item: exactly the 8 stored bytes of the name, padding included.
using TextureName = std::string;

// Textures that can be made self-lit, in walk order, duplicates kept.
std::vector<TextureName> ScanIlluminationTextures(OptView bytes);

// Textures without a child (NodeCount 0) that can be made transparent.
std::vector<TextureName> ScanTransparencyTextures(OptView bytes);

// "Tex Set 1", "Tex Set 2", ... for the sets that can be made animated.
std::vector<std::string> ScanTextureSets(OptView bytes);

// The textures of the set at row currentIndex (0-based) of the set list; -1 lists nothing.
std::vector<TextureName> ListSetTextures(OptView bytes, int currentIndex);

// True when the 3 first bytes of a name are exactly "Tex" or "TEX".
bool PassesNameFilter(const TextureName& name);

// The 8 bytes of the name of the node at offset node.
TextureName ReadTextureName(OptView bytes, std::int32_t node);

// True for a set that can be made animated: NodeCount other than 1 and SetMode 1.
bool IsQualifyingSet(OptView bytes, std::int32_t setOffset);

} // namespace lathwork
