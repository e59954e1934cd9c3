// Each rewrite on a well-formed model whose shape the input decides, with a request read from
// the rest of the input. The rewrite must succeed (only offset arithmetic leaving 32 bits may
// refuse it), and a fresh walk of the result must find the same textures with the same names,
// sizes and pixels, every pointer still designating what it designated, and exactly the
// changes the rewrite stands for. Running illumination, transparency or cloaking again on the
// result changes nothing.

#include "FuzzModels.hpp"
#include "FuzzOperations.hpp"
#include "FuzzProperties.hpp"

#include "colour/ColourChoice.hpp"
#include "modify/Relocation.hpp"
#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"
#include "testkit/RewriteFixtures.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <set>

using namespace lathwork;
using namespace lathwork::fuzz;
using namespace lathwork::testkit;

namespace {

bool Selected(const Operation& op, const std::string& name)
{
    return std::find(op.names.begin(), op.names.end(), name) != op.names.end();
}

std::int32_t EndOfPixels(const TextureFacts& t)
{
    return t.node + 57 + 4 * t.childCount + t.dataSize; // pixels from +57+4c
}

// Each palette row as it must read after illumination: every chosen entry holds row 7's value.
Bytes Illuminated(const Bytes& palette, const ColourChoice& colours)
{
    Bytes out = palette;
    const Bytes row7(palette.begin() + layout::kPaletteShownRow, palette.begin() + layout::kPaletteShownRow + 512);
    for (int r = 0; r < 16; ++r) {
        for (const int entry : SelectedEntries(row7, colours)) {
            const int j = 2 * entry;
            out[static_cast<std::size_t>(512 * r + j)] = row7[static_cast<std::size_t>(j)];
            out[static_cast<std::size_t>(512 * r + j + 1)] = row7[static_cast<std::size_t>(j + 1)];
        }
    }
    return out;
}

void CheckIllumination(const Operation& op, const WalkFacts& before, const WalkFacts& after)
{
    std::set<std::int32_t> ownedBySelected;
    for (const TextureFacts& t : after.textures) {
        if (Selected(op, t.name) && !t.palette.empty()) {
            ownedBySelected.insert(EndOfPixels(t));
        }
    }
    for (std::size_t i = 0; i < after.textures.size(); ++i) {
        const TextureFacts& was = before.textures[i];
        const TextureFacts& now = after.textures[i];
        if (now.palette.empty()) {
            continue; // a layout the rewrites leave alone
        }
        if (!Selected(op, now.name)) {
            if (now.palette != was.palette && ownedBySelected.count(now.paletteAt) == 0) {
                Fail("the palette of texture " + std::to_string(i) + ", which was not selected, changed");
            }
            continue;
        }
        if (now.paletteAt != EndOfPixels(now)) {
            Fail("illuminated texture " + std::to_string(i) + " does not own its palette");
        }
        if (now.palette != Illuminated(was.palette, op.colours)) {
            Fail("the palette of illuminated texture " + std::to_string(i) + " is not row 7 in the chosen entries");
        }
    }
}

void CheckTransparency(const Operation& op, const WalkFacts& before, const WalkFacts& after)
{
    for (std::size_t i = 0; i < after.textures.size(); ++i) {
        const TextureFacts& was = before.textures[i];
        const TextureFacts& now = after.textures[i];
        if (now.palette != was.palette) {
            Fail("the transparency rewrite changed the palette of texture " + std::to_string(i));
        }
        const bool changes = Selected(op, now.name) && was.childCount == 0;
        if (!changes) {
            if (now.childCount != was.childCount || now.opacities != was.opacities) {
                Fail("texture " + std::to_string(i) + " was changed by the transparency rewrite without reason");
            }
            continue;
        }
        if (now.childCount != 1 || now.paletteAt != EndOfPixels(now) || now.alphaAt != now.paletteAt + 8192) {
            Fail("transparent texture " + std::to_string(i) + " is not laid out as c = 1 with its palette and child behind it");
        }
        const std::array<bool, 256> matched = SelectedEntryMarks(now.Row(7), op.colours);
        Bytes expected(now.pixels.size());
        for (std::size_t p = 0; p < expected.size(); ++p) {
            expected[p] = matched[now.pixels[p]] ? static_cast<std::uint8_t>(op.opacity) : 255;
        }
        if (now.opacities != expected) {
            Fail("the opacity bytes of texture " + std::to_string(i) + " are not the chosen ones");
        }
    }
}

// Offsets of the qualifying texture sets, in set-scan order.
std::vector<std::int32_t> QualifyingSets(const OptImage& image)
{
    struct Sets : WalkVisitor {
        const OptImage& image;
        std::vector<std::int32_t> sets;
        explicit Sets(const OptImage& i) : WalkVisitor(WalkDepth::Leaves), image(i) {}
        void Leaf(std::int32_t leaf, std::int32_t type) override
        {
            if (type == layout::kTypeTextureSet && IsQualifyingSet(image, leaf)) {
                sets.push_back(leaf);
            }
        }
    } sets(image);
    NodeWalk(image, ReadPointerBase(image), sets);
    return sets.sets;
}

// The bytes an in-place rewrite must give.
Bytes ExpectedInPlace(const Operation& op, const Bytes& bytes)
{
    OptImage expected(bytes);
    const std::int32_t g = ReadPointerBase(expected);
    if (op.kind == RewriteKind::Animate) {
        const auto sets = QualifyingSets(expected);
        for (const int row : op.rows) {
            if (row >= 0 && row < static_cast<int>(sets.size())) {
                expected.WriteLong(sets[static_cast<std::size_t>(row)] + layout::kSetMode, 0);
                expected.WriteLong(sets[static_cast<std::size_t>(row)] + layout::kSetAnimationWord, 0);
            }
        }
    } else {
        struct Branches : WalkVisitor {
            std::vector<std::int32_t> branches;
            Branches() : WalkVisitor(WalkDepth::Branches) {}
            void Branch(std::int32_t branch) override { branches.push_back(branch); }
        } found;
        NodeWalk(expected, g, found);
        for (const std::int32_t branch : found.branches) {
            const std::int32_t table = FileOffsetOf(expected.ReadLong(branch + layout::kDistanceTablePtr), g);
            for (std::int32_t k = 0; k < expected.ReadLong(branch + layout::kNodeCount); ++k) {
                expected.WriteSingle(table + 4 * k, k == 0 ? op.high : *op.low);
            }
        }
    }
    const auto out = expected.Bytes();
    return {out.begin(), out.end()};
}

void RequireReadable(const OptImage& image)
{
    try {
        ScanIlluminationTextures(image);
        ScanTransparencyTextures(image);
        ScanTextureSets(image);
        CollectPointerSlots(image, ReadPointerBase(image));
    } catch (const OptError& error) {
        Fail(std::string("a scan of the rewritten model fails: ") + error.what());
    }
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

bool LeavesThirtyTwoBits(const OptError& error)
{
    return std::string(error.what()).find("32-bit range") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputReader in(data, size);
    ModelShape tree = GenerateModel(in);
    if (in.OneIn(8)) {
        // Pointers close to the top of the 32-bit range: growing the file may leave it.
        tree.globalOffset = 0;
        const auto length = static_cast<std::int32_t>(Build(tree).bytes.size());
        tree.globalOffset = std::numeric_limits<std::int32_t>::max() - length - in.Int(0, 255) * 256;
    }
    const BuiltModel built = Build(tree);
    const OptImage original(built.bytes);

    std::vector<TextureRecord> textures;
    WalkFacts before;
    try {
        textures = ReadAllTextures(original);
        before = ReadWalkFacts(original);
    } catch (const OptError& error) {
        Fail(std::string("a well-formed model cannot be read: ") + error.what());
    }
    const Operation op = DeriveOperation(in, ReadChoices(original));

    OptImage image(built.bytes);
    try {
        Apply(image, op);
    } catch (const OptError& error) {
        if (!LeavesThirtyTwoBits(error)) {
            Fail(std::string("a well-formed model was refused: ") + error.what());
        }
        return 0;
    }

    OptImage walked(built.bytes);
    try {
        Apply(walked, op, true);
        if (!std::ranges::equal(walked.Bytes(), image.Bytes())) {
            Fail("the one-pass and the walking rewrite give different bytes");
        }
    } catch (const OptError& error) {
        // Walking relocates a slot that is overwritten afterwards (the copy of the palette
        // pointer in a new child slot), and may refuse a value there that leaves 32 bits; the
        // one pass only moves the values that stay. Both are safe; the result is checked below.
        if (!LeavesThirtyTwoBits(error)) {
            Fail(std::string("the walking rewrite fails where the one-pass one succeeds: ") + error.what());
        }
    }
    RequireSameTextures(textures, image);
    RequireReadable(image);
    WalkFacts after = ReadWalkFacts(image);
    // Distances compare by their bits (a NaN is a stored value like any other); only the
    // cloaking write may change them, and its bytes are checked below.
    if (op.kind != RewriteKind::Cloak && !SameBits(before.distances, after.distances)) {
        Fail("the rewrite changed a distance table");
    }
    before.distances.clear();
    after.distances.clear();
    if (const std::string diff = CompareStructure(before, after); !diff.empty()) {
        Fail("the rewritten model's structure differs: " + diff);
    }
    const auto result = image.Bytes();
    switch (op.kind) {
    case RewriteKind::IlluminateEntire:
    case RewriteKind::IlluminateCustom: CheckIllumination(op, before, after); break;
    case RewriteKind::Transparency: CheckTransparency(op, before, after); break;
    case RewriteKind::Animate:
    case RewriteKind::Cloak:
        if (!std::ranges::equal(result, ExpectedInPlace(op, built.bytes))) {
            Fail("the in-place rewrite changed other bytes than its own");
        }
        break;
    }
    if (op.kind != RewriteKind::Animate) {
        OptImage again(Bytes(result.begin(), result.end()));
        try {
            Apply(again, op);
        } catch (const OptError& error) {
            Fail(std::string("a second run fails: ") + error.what());
        }
        if (!std::ranges::equal(again.Bytes(), image.Bytes())) {
            Fail("a second run with the same request changed the model again");
        }
    }
    return 0;
}
