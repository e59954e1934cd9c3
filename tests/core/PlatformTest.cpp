// The platform layer on every system: mapped and read files agree, any character survives in a
// path, devices are refused, bitmap names are ones both systems can hold; and where the systems
// differ (a file held open or mapped while it is replaced, attributes, drive letters), each
// keeps the original intact and says why.

#include "imaging/Extraction.hpp"
#include "modify/RewriteFile.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#undef ReplaceFile
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;
using platform::PathFromUtf8;
using platform::PathToUtf8;

Bytes Of(std::span<const std::uint8_t> bytes)
{
    return {bytes.begin(), bytes.end()};
}

// Throws OptError whose message names what.
template <class Call>
void ExpectErrorNaming(Call call, const std::string& what)
{
    try {
        call();
        ADD_FAILURE() << "no error; expected one naming " << what;
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find(what), std::string::npos) << error.what();
    }
}

// A one-texture model whose rewrite changes it: the texture is made self-lit.
Bytes Model()
{
    return Build(SimpleModel({MakeTexture("TEX00001")})).bytes;
}

void Rewrite(const fs::path& file)
{
    RewriteFile(file, [](OptImage& image) { image.WriteByte(image.Size() - 1, 0xAB); });
}

TEST(Platform, MappedAndReadFilesGiveTheSameBytes)
{
    TempFolder folder;
    std::mt19937 random(11);
    for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, (1u << 20) + 3}) {
        SCOPED_TRACE(size);
        Bytes bytes(size);
        std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
        const fs::path file = folder / ("F" + std::to_string(size));
        WriteFile(file, bytes);
        platform::MappedFile mapped = platform::MappedFile::Open(file);
        EXPECT_EQ(Of(mapped.Bytes()), bytes);
        EXPECT_EQ(platform::ReadWholeFile(file), bytes);
        platform::MappedFile moved = std::move(mapped);
        EXPECT_TRUE(mapped.Bytes().empty());
        EXPECT_EQ(Of(moved.Bytes()), bytes);
        mapped = std::move(moved);
        EXPECT_EQ(Of(mapped.Bytes()), bytes);
    }
    ExpectErrorNaming([&] { platform::MappedFile::Open(folder / "NONE.OPT"); }, "NONE.OPT");
    ExpectErrorNaming([&] { platform::MappedFile::Open(folder.Path()); }, "not a regular file");
}

TEST(Platform, EveryCharacterOfAPathSurvivesReadingSavingAndExtraction)
{
    TempFolder root;
    const fs::path folder = root.Path() / PathFromUtf8("Mod\xC3\xA8les \xE2\x9C\x88 \xE6\x97\xA5\xE6\x9C\xAC");
    fs::create_directory(folder);
    const fs::path file = folder / PathFromUtf8("Schiff \xC3\x84.opt");
    WriteFile(file, Model());
    Rewrite(file);
    EXPECT_EQ(platform::ReadWholeFile(file).back(), 0xAB);
    const auto written = ExtractTextures(file);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(PathToUtf8(written[0].filename()), "Schiff \xC3\x84_TEX00001.BMP");
    EXPECT_EQ(PathToUtf8(written[0].parent_path()), PathToUtf8(folder));
    EXPECT_NE(platform::DisplayPath(file).find("Schiff \xC3\x84.opt"), std::string::npos);
    ExpectErrorNaming([&] { platform::ReadWholeFile(folder / PathFromUtf8("\xC3\x9C.opt")); }, "\xC3\x9C.opt");
}

// Every texture name and OPT name gives a bitmap name that this system creates exactly as
// given, that holds no character Windows refuses and no device name; ordinary names are kept.
TEST(Platform, BitmapNamesAreOnesEverySystemCanHold)
{
    const std::string alphabet = std::string("AZaz09_-. ~/\\:*?\"<>|\x01\x1F\x7F\x80\xFF") + '\0';
    const std::vector<std::string> opts = {"SHIP.OPT", "CON.x.opt", "nul .a.opt", "com1.opt", "Lpt9.ship.opt",
                                           "AUX.OPT.opt", "a:b.opt", "x. .opt", ".opt", "\xC3\x84.opt"};
    std::mt19937 random(5);
    std::set<std::string> names;
    for (int i = 0; i < 600; ++i) {
        TextureName texture(8, '\0');
        for (char& ch : texture) {
            ch = alphabet[random() % alphabet.size()];
        }
        names.insert(ExtractedBitmapName(opts[random() % opts.size()], texture));
    }
    for (const std::string device : {"CON", "PRN", "AUX", "NUL", "COM1", "LPT9", "CONIN$"}) {
        names.insert(ExtractedBitmapName(device + ".x.opt", "T"));
    }
    const std::set<std::string> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    TempFolder folder;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(name.ends_with(".BMP"));
        EXPECT_EQ(name.find_first_of(std::string("/\\:*?\"<>|\x7F", 10)), std::string::npos);
        EXPECT_TRUE(std::none_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20; }));
        std::string stem = name.substr(0, name.find('.'));
        stem.erase(stem.find_last_not_of(' ') + 1);
        std::transform(stem.begin(), stem.end(), stem.begin(), [](unsigned char c) { return std::toupper(c); });
        const bool numbered = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
                              std::isdigit(static_cast<unsigned char>(stem[3]));
        EXPECT_FALSE(devices.count(stem) != 0 || numbered);
        platform::WriteNewFile(folder.Path() / PathFromUtf8(name), Bytes{1});
    }
    const auto entries = folder.Entries();
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), names);
    for (const std::string texture : {"TEX00012", "Tex_a-9Z", "t", "TEXTURE1"}) {
        EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", texture), "SHIP_" + texture + ".BMP");
    }
}

TEST(Platform, TheNullDeviceIsNeitherAnOptNorABitmap)
{
    TempFolder folder;
#ifdef _WIN32
    const std::vector<fs::path> devices = {"NUL", folder / "NUL", "CON"};
#else
    const std::vector<fs::path> devices = {"/dev/null", "/dev/zero"};
#endif
    for (const fs::path& device : devices) {
        SCOPED_TRACE(PathToUtf8(device));
        EXPECT_THROW(platform::ReadWholeFile(device), OptError);
        EXPECT_THROW(platform::MappedFile::Open(device), OptError);
        EXPECT_THROW(platform::WriteNewFile(device, Bytes{1, 2}), OptError);
        EXPECT_THROW(RewriteFile(device, [](OptImage&) {}), OptError);
        try {
            EXPECT_NE(platform::Inspect(device).kind, platform::EntryKind::File);
        } catch (const OptError&) {
            // Windows may not even let its attributes be read
        }
    }
    EXPECT_TRUE(folder.Entries().empty());
}

// Another program holds the model open while it is saved. POSIX lets the save go ahead and the
// holder keeps reading the old contents; Windows forbids it unless the holder shares deleting,
// and the original stays intact with a clear message.
TEST(Platform, AFileHeldOpenElsewhereIsReplacedOrLeftIntact)
{
    TempFolder folder;
    const fs::path file = folder / "SHIP.OPT";
    const Bytes old = Model();
    WriteFile(file, old);
#ifdef _WIN32
    HANDLE holder = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExpectErrorNaming([&] { Rewrite(file); }, "another program has the file open");
    ExpectErrorNaming([&] { platform::ReplaceFile(file, Bytes{1}); }, "another program has the file open");
    ::CloseHandle(holder);
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
#else
    std::ifstream holder(file, std::ios::binary);
    Rewrite(file);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(holder), {}), old);
#endif
    Rewrite(file);
    EXPECT_EQ(ReadFile(file).back(), 0xAB);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
}

// The same for a mapping of our own. Windows refuses to replace a mapped file (Wine allows it);
// either way the mapping keeps showing the old bytes and no temporary file stays.
TEST(Platform, AMappedFileIsReplacedOrLeftIntact)
{
    TempFolder folder;
    const fs::path file = folder / "SHIP.OPT";
    const Bytes old = Model();
    WriteFile(file, old);
    {
        const platform::MappedFile mapped = platform::MappedFile::Open(file);
        try {
            Rewrite(file);
            EXPECT_EQ(ReadFile(file).back(), 0xAB);
        } catch (const OptError& error) {
            EXPECT_EQ(ReadFile(file), old) << error.what();
        }
        EXPECT_EQ(Of(mapped.Bytes()), old);
        EXPECT_TRUE(TemporaryFiles(folder.Path()).empty());
    }
    Rewrite(file);
    EXPECT_EQ(ReadFile(file).back(), 0xAB);
}

TEST(Platform, WindowsPathsWithDriveLettersAndEitherSlashReachTheSameFile)
{
#ifndef _WIN32
    GTEST_SKIP() << "Windows only: drive letters and backslash separators";
#else
    TempFolder folder;
    const std::wstring native = (folder / "SHIP.OPT").wstring();
    ASSERT_EQ(native[1], L':');
    std::wstring forward = native;
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    std::wstring lower = native;
    lower[0] = static_cast<wchar_t>(std::towlower(lower[0]));
    int rewrites = 0;
    for (const std::wstring& path : {native, forward, lower, L"\\\\?\\" + native}) {
        SCOPED_TRACE(PathToUtf8(path));
        WriteFile(path, Model());
        Rewrite(path);
        ++rewrites;
        EXPECT_EQ(ReadFile(native).back(), 0xAB);
        EXPECT_EQ(ExtractTextures(path).size(), 1u);
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT", "SHIP_TEX00001.BMP"}));
    }
    EXPECT_EQ(rewrites, 4);
#endif
}

TEST(Platform, WindowsAttributesAreHonouredAndKept)
{
#ifndef _WIN32
    GTEST_SKIP() << "Windows only: file attributes";
#else
    TempFolder folder;
    const fs::path file = folder / "SHIP.OPT";
    WriteFile(file, Model());
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectErrorNaming([&] { Rewrite(file); }, "read-only");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    Rewrite(file);
    EXPECT_EQ(ReadFile(file).back(), 0xAB);
    EXPECT_EQ(::GetFileAttributesW(file.c_str()), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
#endif
}

} // namespace
} // namespace lathwork
