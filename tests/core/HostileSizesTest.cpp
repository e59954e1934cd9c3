// Counts, sizes and table lengths near 2^31, negative, or larger than the file: every operation
// gives a clean error or a result, and none asks for memory far beyond the file's size.

#include "opt/OptImage.hpp"
#include "imaging/Extraction.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "testkit/WalkingOracle.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/RewriteFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

// Every allocation of this test program passes here, so that a test can see the largest one
// an operation asks for.
namespace {
std::atomic<std::size_t> largestAllocation{0};
}

// The replacements below pair malloc with free themselves; GCC cannot see that through inlining.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size)
{
    std::size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

// A texture of its own, a set of two (one sharing a palette), and a texture with a child.
struct Model {
    BuiltModel built;
    std::vector<TextureName> names;
};

Model SmallModel()
{
    TextureShape lit = MakeTexture("TexD", 4, 4);
    lit.childCount = 1;
    ModelShape tree = SimpleModel({MakeTexture("TexA", 8, 8),
                                  SetShape{.mode = 1, .members = {MakeTexture("TexB", 4, 4, 0), MakeTexture("TexC")}, .count = {}},
                                  lit});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = {6.467e-05f, 3.414e-05f};
    tree.palettes = {MakePalette(5)};
    return {Build(tree), {Name8("TexA"), Name8("TexB"), Name8("TexC"), Name8("TexD")}};
}

struct Field {
    std::string name;
    std::int32_t offset;
};

std::vector<Field> SizeFields(const BuiltModel& m)
{
    const std::int32_t a = m.Texture("TexA");
    const std::int32_t b = m.Texture("TexB");
    const std::int32_t d = m.Texture("TexD"); // c = 1: every field 4 bytes further on
    return {
        {"TopNodeCount", 14},
        {"top node count", m.tops[0] + 8},
        {"branch count (parts and distances)", m.branches[0] + 8},
        {"part count", m.parts[0] + 8},
        {"set count", m.sets[0] + 8},
        {"ImageSize", a + 41},
        {"DataSize", a + 45},
        {"ImageWidth", a + 49},
        {"ImageHeight", a + 53},
        {"set member ImageSize", b + 41},
        {"set member DataSize", b + 45},
        {"child texture ImageSize", d + 45},
        {"child texture DataSize", d + 49},
        {"child texture ImageWidth", d + 53},
    };
}

std::vector<std::int32_t> HostileValues(std::int32_t fileSize)
{
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    return {max, max - 3, max - 56, 1 << 30, (1 << 30) - 1, 1 << 29, min, min + 1, -1, -4, -(1 << 30),
            fileSize / 4 + 1, fileSize - 1, fileSize, fileSize + 1, 2 * fileSize};
}

// A generous allowance: the rewrites may grow the file by palettes and opacity nodes, and
// walks keep lists bounded by the file's size; anything near 2^31 is far beyond it.
std::size_t Allowed(std::int32_t fileSize)
{
    return 16 * static_cast<std::size_t>(fileSize) + (1u << 20);
}

TEST(HostileSizes, EveryOperationFailsCleanlyWithoutAHugeAllocation)
{
    const Model model = SmallModel();
    const auto size = static_cast<std::int32_t>(model.built.bytes.size());
    int cases = 0;
    for (const Field& field : SizeFields(model.built)) {
        for (const std::int32_t value : HostileValues(size)) {
            Bytes bytes = model.built.bytes;
            SetLong(bytes, static_cast<std::size_t>(field.offset), value);
            for (const ToolOperation& operation : EveryOperation(model.names)) {
                SCOPED_TRACE(field.name + " = " + std::to_string(value) + ", " + operation.name);
                TempFolder scratch;
                OptImage image{Bytes(bytes)};
                largestAllocation = 0;
                try {
                    operation.run(image, scratch.Path());
                } catch (const OptError&) {
                }
                EXPECT_LE(largestAllocation.load(), Allowed(size));
                ++cases;
            }
        }
    }
    EXPECT_GT(cases, 2000);
}

// Expects OptError from run, with nothing larger than the allowance asked for.
template <typename Run>
void ExpectCleanError(std::int32_t fileSize, Run run)
{
    largestAllocation = 0;
    EXPECT_THROW(run(), OptError);
    EXPECT_LE(largestAllocation.load(), Allowed(fileSize));
}

TEST(HostileSizes, ATableLongerThanTheFileIsAnError)
{
    const Model model = SmallModel();
    const auto size = static_cast<std::int32_t>(model.built.bytes.size());
    for (const Field& field : SizeFields(model.built)) {
        if (field.name.find("count") == std::string::npos && field.name != "TopNodeCount") {
            continue;
        }
        for (const std::int32_t value : {size / 4 + 1, size, std::numeric_limits<std::int32_t>::max()}) {
            SCOPED_TRACE(field.name + " = " + std::to_string(value));
            Bytes bytes = model.built.bytes;
            SetLong(bytes, static_cast<std::size_t>(field.offset), value);
            OptImage image{Bytes(bytes)};
            ExpectCleanError(size, [&] { ScanIlluminationTextures(image); });
            ExpectCleanError(size, [&] { RunTransparency(image, {model.names, {}, 111}); });
        }
    }
}

TEST(HostileSizes, ImageAndDataSizesBeyondTheFileAreErrorsBeforeAnythingIsWritten)
{
    const Model model = SmallModel();
    const auto size = static_cast<std::int32_t>(model.built.bytes.size());
    const std::int32_t a = model.built.Texture("TexA");
    for (const std::int32_t value : {-1, size, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(value);
        TempFolder folder;
        const fs::path opt = folder / "SHIP.OPT";
        Bytes bytes = model.built.bytes;
        SetLong(bytes, static_cast<std::size_t>(a + 41), value); // ImageSize
        WriteFile(opt, bytes);
        ExpectCleanError(size, [&] { ExtractTextures(opt); });
        EXPECT_EQ(ReadFile(opt), bytes);

        bytes = model.built.bytes;
        SetLong(bytes, static_cast<std::size_t>(a + 45), value); // DataSize
        WriteFile(opt, bytes);
        for (const bool transparency : {false, true}) {
            ExpectCleanError(size, [&] {
                RewriteFile(opt, [&](OptImage& image) {
                    if (transparency) {
                        RunTransparency(image, {{Name8("TexA")}, {}, 111});
                    } else {
                        RunIllumination(image, {{Name8("TexA")}, {}});
                    }
                });
            });
            EXPECT_EQ(ReadFile(opt), bytes);
        }
        EXPECT_EQ(TemporaryFiles(folder.Path()).size(), 0u);
    }
}

TEST(HostileSizes, OffsetArithmeticPastThirtyTwoBitsIsAnError)
{
    // Pointers whose file offsets would wrap: a PointerBase near the bottom of the range and
    // a stored pointer near the top.
    const Model model = SmallModel();
    const auto size = static_cast<std::int32_t>(model.built.bytes.size());
    Bytes bytes = model.built.bytes;
    SetLong(bytes, 8, std::numeric_limits<std::int32_t>::min() + 4);
    OptImage low{Bytes(bytes)};
    ExpectCleanError(size, [&] { ScanIlluminationTextures(low); });

    bytes = model.built.bytes;
    SetLong(bytes, 22, std::numeric_limits<std::int32_t>::max());
    SetLong(bytes, 8, -0x100);
    OptImage high{Bytes(bytes)};
    ExpectCleanError(size, [&] { ScanTextureSets(high); });
}

TEST(HostileSizes, PointersNearTheTopOfTheRangeGiveACleanErrorOrAValidModel)
{
    // A texture sharing the palette at the end of the file, with stored pointers reaching up
    // to 2^31 - 1: growing the file may leave no room. Each engine refuses cleanly or leaves
    // every pointer designating what it designated.
    for (const std::int32_t room : {0, 4, 8192, 8192 + 4 + 24 + 16, 1 << 16}) {
        ModelShape tree = SimpleModel({MakeTexture("TexA", 4, 4, 0), MakeTexture("TexB", 4, 4)});
        tree.palettes = {MakePalette(3)};
        tree.globalOffset = 0;
        const auto length = static_cast<std::int32_t>(Build(tree).bytes.size());
        tree.globalOffset = std::numeric_limits<std::int32_t>::max() - length - room;
        const Bytes bytes = Build(tree).bytes;
        const WalkFacts before = ReadWalkFacts(bytes);
        for (const bool walking : {false, true}) {
            for (const bool transparency : {false, true}) {
                SCOPED_TRACE("room " + std::to_string(room) + (transparency ? ", transparency" : ", illumination") +
                             (walking ? ", walking" : ", one pass"));
                OptImage image{Bytes(bytes)};
                const std::vector<TextureName> names = {Name8("TexA"), Name8("TexB")};
                try {
                    if (transparency) {
                        walking ? WalkTransparency(image, {names, {}, 111}) : RunTransparency(image, {names, {}, 111});
                    } else {
                        walking ? WalkIllumination(image, {names, {}}) : RunIllumination(image, {names, {}});
                    }
                } catch (const OptError& error) {
                    EXPECT_NE(std::string(error.what()).find("32-bit range"), std::string::npos) << error.what();
                    continue;
                }
                EXPECT_EQ(CompareStructure(before, ReadWalkFacts(image)), "");
            }
        }
    }
}

} // namespace
} // namespace lathwork
