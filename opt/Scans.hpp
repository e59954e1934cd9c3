#pragma once

#include "opt/OptImage.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lathwork {

// A texture list item: exactly the 8 stored bytes of the name, padding included.
using TextureName = std::string;

// Textures that can be made self-lit, in walk order, duplicates kept.
std::vector<TextureName> ScanIlluminationTextures(const OptImage& image);

// Textures without a child (NodeCount 0) that can be made transparent.
std::vector<TextureName> ScanTransparencyTextures(const OptImage& image);

// "Tex Set 1", "Tex Set 2", ... for the sets that can be made animated.
std::vector<std::string> ScanTextureSets(const OptImage& image);

// The textures of the set at row currentIndex (0-based) of the set list; -1 lists nothing.
std::vector<TextureName> ListSetTextures(const OptImage& image, int currentIndex);

// True when the 3 first bytes of a name are exactly "Tex" or "TEX".
bool PassesNameFilter(const TextureName& name);

// The 8 bytes of the name of the node at offset node.
TextureName ReadTextureName(const OptImage& image, std::int32_t node);

// Calls visit(memberOffset) for member i = 0 .. count-1 of the texture set at setOffset, after
// checking that the inline table fits the file. Member pointers are not tested for 0.
void ForEachSetMember(const OptImage& image, std::int32_t globalOffset, std::int32_t setOffset,
                      const std::function<void(std::int32_t member)>& visit);

// True for a set that can be made animated: NodeCount other than 1 and SetMode 1.
bool IsQualifyingSet(const OptImage& image, std::int32_t setOffset);

} // namespace lathwork
