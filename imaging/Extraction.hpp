#pragma once

#include "opt/Scans.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lathwork {

// The file name of the bitmap extracted for a texture of the OPT named optFileName (UTF-8):
// B_TexName.BMP, B the OPT's name without its last four characters (empty for shorter names),
// case kept. The same name on every system, one that Windows can hold too: trailing zero bytes
// of the texture name are dropped; / \ : * ? " < > |, control bytes and 0x7F become '_' in both
// parts, and so do the texture name's bytes from 0x80 on; a device name before the first dot
// (CON, PRN, AUX, NUL, COM0-9, LPT0-9, any case) gets a '_' behind it.
std::string ExtractedBitmapName(const std::string& optFileName, const TextureName& name);

// Writes every texture of the OPT at optPath as a bitmap beside it and returns the paths
// written, in order (a name written twice appears twice); onWritten, when given, hears of each
// path as soon as its file is complete. Nothing else is created in the folder. Throws OptError
// naming the file and the problem; bitmaps written before the error stay, a bitmap whose
// writing failed is removed rather than left half-written, and a damaged node tree is reported
// before anything is written. An existing bitmap that is read-only, a symbolic link or not a
// regular file is not replaced (error). The OPT is only read.
std::vector<std::filesystem::path> ExtractTextures(
    const std::filesystem::path& optPath,
    const std::function<void(const std::filesystem::path&)>& onWritten = {});

} // namespace lathwork
