#include "testkit/ImagingFixtures.hpp"

#include "testkit/TestFiles.hpp"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace lathwork::testkit {

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> counter{0};
    static const unsigned run = std::random_device{}();
    path_ = fs::temp_directory_path() /
            ("lathwork-imaging-" + std::to_string(run) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    // Tests may leave a folder read-only; make it removable again.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes FileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    CommandResult result = RunCommand(argv);
    return {result.status, std::move(result.out), std::move(result.err)};
}

std::uint32_t ExpectedRgb(std::uint16_t v)
{
    const std::uint32_t red = (v >> 11) * 8u;
    const std::uint32_t green = ((v >> 5) & 63u) * 4u;
    const std::uint32_t blue = (v & 31u) * 8u;
    return red << 16 | green << 8 | blue;
}

std::uint32_t ExpectedPixel(const Bytes& pixels, const Bytes& paletteRow, int width, int height, int x, int y)
{
    const std::size_t stored = static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(x);
    const std::size_t index = pixels.at(stored);
    const auto v = static_cast<std::uint16_t>(paletteRow.at(2 * index) | paletteRow.at(2 * index + 1) << 8);
    return ExpectedRgb(v);
}

Bytes Row7(const Bytes& paletteBlock)
{
    return Bytes(paletteBlock.begin() + 3584, paletteBlock.begin() + 4096);
}

BuiltModel OneTexture(TextureShape t)
{
    return Build(SimpleModel({std::move(t)}));
}

} // namespace lathwork::testkit
