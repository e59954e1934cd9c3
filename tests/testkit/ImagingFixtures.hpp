#pragma once

// Helpers for the imaging and colour tests: scratch folders, whole-file access, running the
// command-line tool, and the picture a texture should decode to, worked out independently of
// the bitmap writer.

#include "testkit/OptBuilder.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lathwork::testkit {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

Bytes FileBytes(const std::filesystem::path& path);
void PutFile(const std::filesystem::path& path, const Bytes& bytes);

// Runs program with args, capturing the exit status, stdout and stderr.
struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args);

// The 0x00RRGGBB colour a bitmap reader should show for the 16-bit palette entry v:
// 5-6-5 bits scaled by 8, 4 and 8.
std::uint32_t ExpectedRgb(std::uint16_t v);

// The colour of picture pixel (x, y), y counted from the top, for a texture of width x height
// stored bottom row first as one palette index per byte, with its 512-byte palette row.
std::uint32_t ExpectedPixel(const Bytes& pixels, const Bytes& paletteRow, int width, int height, int x, int y);

// Row 7 of a palette block.
Bytes Row7(const Bytes& paletteBlock);

// A one-texture model around t.
BuiltModel OneTexture(TextureShape t);

} // namespace lathwork::testkit
