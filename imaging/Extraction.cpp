#include "imaging/Extraction.hpp"

#include "imaging/TextureBitmap.hpp"
#include "imaging/TextureImage.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptImage.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace lathwork {

namespace {

constexpr std::size_t kExtensionLength = 4; // ".opt"

bool FileNameCannotHold(unsigned char byte)
{
    constexpr std::string_view kReserved = "/\\:*?\"<>|";
    return byte < 0x20 || byte >= 0x7F || kReserved.find(static_cast<char>(byte)) != std::string_view::npos;
}

std::string Reason(int error)
{
    return std::strerror(error);
}

// Refuses a folder marked read-only by its mode bits even when the administrator could write it.
void CheckFolder(const fs::path& folder)
{
    const fs::path shown = folder.empty() ? fs::path(".") : folder;
    struct stat info {};
    if (::stat(shown.c_str(), &info) != 0) {
        throw OptError("Cannot write bitmaps in " + DisplayPath(shown) + ": " + Reason(errno) + ".");
    }
    if ((info.st_mode & S_IWUSR) == 0 || ::access(shown.c_str(), W_OK | X_OK) != 0) {
        throw OptError("Cannot write bitmaps in " + DisplayPath(shown) + ": the folder is read-only.");
    }
}

// What may stand at a bitmap's place: nothing, or a writable regular file that is not the OPT.
// A symbolic link is refused so that no bitmap is ever written outside the OPT's folder.
void CheckDestination(const fs::path& target, const struct stat& opt)
{
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
        return; // nothing there yet; the creation reports any other problem
    }
    if (S_ISLNK(info.st_mode)) {
        throw OptError("Cannot write " + DisplayPath(target) + ": it is a symbolic link.");
    }
    if (!S_ISREG(info.st_mode)) {
        throw OptError("Cannot write " + DisplayPath(target) + ": something that is not a file has that name.");
    }
    if (info.st_dev == opt.st_dev && info.st_ino == opt.st_ino) {
        throw OptError("Cannot write " + DisplayPath(target) + ": it is the OPT file itself.");
    }
    if ((info.st_mode & S_IWUSR) == 0) {
        throw OptError("Cannot replace " + DisplayPath(target) + ": the file is read-only.");
    }
}

// A bitmap whose writing failed part way is removed rather than left damaged.
void WriteBitmap(const fs::path& target, const std::vector<std::uint8_t>& bytes)
{
    try {
        WriteNewFile(target, bytes);
    } catch (const OptError&) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            ::unlink(target.c_str());
        }
        throw;
    }
}

} // namespace

std::string ExtractedBitmapName(const std::string& optFileName, const TextureName& name)
{
    const std::string base =
        optFileName.size() >= kExtensionLength ? optFileName.substr(0, optFileName.size() - kExtensionLength) : "";
    std::string texture = name;
    while (!texture.empty() && texture.back() == '\0') {
        texture.pop_back();
    }
    for (char& ch : texture) {
        if (FileNameCannotHold(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return base + "_" + texture + ".BMP";
}

std::vector<fs::path> ExtractTextures(const fs::path& optPath, const std::function<void(const fs::path&)>& onWritten)
{
    const OptImage image = OptImage::Load(optPath);
    struct stat opt {};
    if (::stat(optPath.c_str(), &opt) != 0) {
        throw OptError("Cannot open " + DisplayPath(optPath) + ": " + Reason(errno) + ".");
    }
    const fs::path folder = optPath.parent_path();
    const std::string optName = optPath.filename().string();

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
        if (fileName == "." || fileName == ".." || fileName.find('/') != std::string::npos) {
            throw OptError("Cannot write the bitmap \"" + fileName + "\": it would not lie in the OPT's folder.");
        }
        const fs::path target = folder / fileName;
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
