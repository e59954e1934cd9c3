#include "imaging/Extraction.hpp"

#include "imaging/TextureBitmap.hpp"
#include "imaging/TextureImage.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptImage.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"
#include "opt/Pointer.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace fs = std::filesystem;

namespace lathwork {

namespace {

constexpr std::size_t kExtensionLength = 4; // ".opt"

// Characters no file name can hold on Windows; '/' and '\\' would also leave the folder.
bool ReservedCharacter(unsigned char byte)
{
    constexpr std::string_view kReserved = "/\\:*?\"<>|";
    return byte < 0x20 || byte == 0x7F || kReserved.find(static_cast<char>(byte)) != std::string_view::npos;
}

char AsciiUpper(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}

// Windows opens a device instead of a file for these names, followed by any extension and
// after dropping trailing spaces: "nul.x.bmp" and "CON .BMP" are devices. The digits include
// the superscripts one to three.
bool DeviceName(std::string_view stem)
{
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    std::string upper(stem);
    for (char& ch : upper) {
        ch = AsciiUpper(ch);
    }
    constexpr std::array<std::string_view, 6> kWords = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(kWords.begin(), kWords.end(), upper) != kWords.end()) {
        return true;
    }
    if (!upper.starts_with("COM") && !upper.starts_with("LPT")) {
        return false;
    }
    const std::string_view digit = std::string_view(upper).substr(3);
    constexpr std::array<std::string_view, 3> kSuperscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') ||
           std::find(kSuperscripts.begin(), kSuperscripts.end(), digit) != kSuperscripts.end();
}

// Refuses a folder marked read-only even when the administrator could write it.
void CheckFolder(const fs::path& folder)
{
    const fs::path shown = folder.empty() ? fs::path(".") : folder;
    const platform::Entry entry = platform::Inspect(platform::ResolveLinks(shown));
    if (entry.kind != platform::EntryKind::Folder) {
        throw OptError("Cannot write bitmaps in " + DisplayPath(shown) + ": it is not a folder.");
    }
    if (entry.readOnly) {
        throw OptError("Cannot write bitmaps in " + DisplayPath(shown) + ": the folder is read-only.");
    }
}

// What may stand at a bitmap's place: nothing, or a writable regular file that is not the OPT.
// A link is refused so that no bitmap is ever written outside the OPT's folder.
void CheckDestination(const fs::path& target, const platform::Entry& opt)
{
    const platform::Entry entry = platform::Inspect(target);
    switch (entry.kind) {
    case platform::EntryKind::Missing:
        return; // nothing there yet; the creation reports any other problem
    case platform::EntryKind::Link:
        throw OptError("Cannot write " + DisplayPath(target) + ": it is a symbolic link.");
    case platform::EntryKind::File:
        break;
    default:
        throw OptError("Cannot write " + DisplayPath(target) + ": something that is not a file has that name.");
    }
    if (entry.SameAs(opt)) {
        throw OptError("Cannot write " + DisplayPath(target) + ": it is the OPT file itself.");
    }
    if (entry.readOnly) {
        throw OptError("Cannot replace " + DisplayPath(target) + ": the file is read-only.");
    }
}

// A bitmap whose writing failed part way is removed rather than left damaged.
void WriteBitmap(const fs::path& target, const std::vector<std::uint8_t>& bytes)
{
    try {
        WriteNewFile(target, bytes);
    } catch (const OptError&) {
        platform::RemoveLeftover(target);
        throw;
    }
}

} // namespace

std::string ExtractedBitmapName(const std::string& optFileName, const TextureName& name)
{
    std::string base =
        optFileName.size() >= kExtensionLength ? optFileName.substr(0, optFileName.size() - kExtensionLength) : "";
    for (char& ch : base) {
        if (ReservedCharacter(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    std::string texture = name;
    while (!texture.empty() && texture.back() == '\0') {
        texture.pop_back();
    }
    // Bytes from 0x80 on are no text in any encoding the name could be read in.
    for (char& ch : texture) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ReservedCharacter(byte) || byte >= 0x80) {
            ch = '_';
        }
    }
    std::string fileName = base + "_" + texture + ".BMP";
    // The name ends in ".BMP", so it never ends in the dot or space Windows would drop; only a
    // device name before the first dot needs a change.
    const std::size_t dot = fileName.find('.');
    if (DeviceName(std::string_view(fileName).substr(0, dot))) {
        fileName.insert(dot, "_");
    }
    return fileName;
}

std::vector<fs::path> ExtractTextures(const fs::path& optPath, const std::function<void(const fs::path&)>& onWritten)
{
    const OptImage image = OptImage::Load(optPath);
    const platform::Entry opt = platform::Inspect(platform::ResolveLinks(optPath));
    const fs::path folder = optPath.parent_path();
    const std::string optName = platform::PathToUtf8(optPath.filename());

    // The whole node tree is walked first, so that a damaged one is reported before any
    // bitmap is written.
    std::int32_t g = 0;
    std::vector<std::int32_t> nodes;
    std::vector<TextureName> names;
    try {
        g = ReadPointerBase(image);
        VisitTextures(image, g, [&](std::int32_t node) {
            nodes.push_back(node);
            names.push_back(ReadTextureName(image, node));
        });
    } catch (const OptError& error) {
        throw OptError("Cannot extract the textures of " + DisplayPath(optPath) + ": " + error.what());
    }

    std::vector<fs::path> written;
    ImageBudget budget(image);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::string fileName = ExtractedBitmapName(optName, names[i]);
        if (fileName == "." || fileName == ".." || fileName.find_first_of("/\\") != std::string::npos) {
            throw OptError("Cannot write the bitmap \"" + fileName + "\": it would not lie in the OPT's folder.");
        }
        const fs::path target = folder / platform::PathFromUtf8(fileName);
        std::vector<std::uint8_t> bytes;
        try {
            const auto texture = ReadTextureImage(image, g, nodes[i]);
            if (!texture) {
                continue; // a layout this tool does not read
            }
            budget.Spend(*texture);
            bytes = WriteTextureBitmap(*texture);
        } catch (const OptError& error) {
            throw OptError("Cannot write " + DisplayPath(target) + ": " + error.what());
        }
        CheckFolder(folder);
        CheckDestination(target, opt);
        WriteBitmap(target, bytes);
        written.push_back(target);
        if (onWritten) {
            onWritten(target);
        }
    }
    return written;
}

} // namespace lathwork
