#pragma once

#include "opt/Scans.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace lathwork {

// The file name of the bitmap extracted for a texture of the OPT named optFileName:
// B_TexName.BMP, B the OPT's name without its last four characters. Trailing zero bytes of the
// name are dropped and bytes a file name cannot hold become '_'.
std::string ExtractedBitmapName(const std::string& optFileName, const TextureName& name);

// Writes every texture of the OPT at optPath as a bitmap beside it and returns the paths
// written, in order (a name written twice appears twice). Throws OptError naming the file and
// the problem; bitmaps written before the error stay. The OPT is only read.
std::vector<std::filesystem::path> ExtractTextures(const std::filesystem::path& optPath);

} // namespace lathwork
