// The one-pass rewrites against the walking oracle (one contiguous buffer, a tail move and a
// walk per insertion, a search per name): for random models and requests whose names come in
// any order and repeat, the same bytes and reports wherever the one pass accepts the file; a
// file it refuses is left untouched.

#include "opt/OptImage.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"
#include "testkit/DifferentialModels.hpp"
#include "testkit/WalkingOracle.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace lathwork {
namespace {

using namespace testkit;

struct Outcome {
    bool threw = false;
    Bytes bytes;
    RewriteReport report;
};

struct Tally {
    int onePass = 0;
    int refused = 0; // by the one pass only
    int threw = 0;
};

template <typename Request>
Outcome Apply(const Bytes& bytes, const Request& request, bool walking = false)
{
    Outcome out;
    try {
        OptImage image{Bytes(bytes)};
        if constexpr (std::is_same_v<Request, IlluminationRequest>) {
            out.report = walking ? WalkIllumination(image, request) : RunIllumination(image, request);
        } else {
            out.report = walking ? WalkTransparency(image, request) : RunTransparency(image, request);
        }
        out.bytes.assign(image.Bytes().begin(), image.Bytes().end());
    } catch (const OptError&) {
        out.threw = true;
    }
    return out;
}

// Returns whether both outcomes are the same, with a failure saying how they differ if not.
bool ExpectSame(const Outcome& a, const Outcome& b)
{
    const RewriteReport& x = a.report;
    const RewriteReport& y = b.report;
    const bool sameReport = x.notFound == y.notFound && x.texturesRewritten == y.texturesRewritten &&
                            x.palettesCopied == y.palettesCopied && x.alphaNodesAdded == y.alphaNodesAdded &&
                            x.bytesAdded == y.bytesAdded;
    EXPECT_EQ(a.threw, b.threw);
    EXPECT_TRUE(a.threw || sameReport) << "textures " << x.texturesRewritten << " / " << y.texturesRewritten
                                       << ", palettes " << x.palettesCopied << " / " << y.palettesCopied
                                       << ", alpha nodes " << x.alphaNodesAdded << " / " << y.alphaNodesAdded;
    const auto differ = std::mismatch(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
    EXPECT_TRUE(differ.first == a.bytes.end() && differ.second == b.bytes.end())
        << "the files first differ at offset " << differ.first - a.bytes.begin() << ", lengths " << a.bytes.size()
        << " / " << b.bytes.size() << ", longs there " << (differ.first + 4 <= a.bytes.end() ? GetLong(a.bytes, differ.first - a.bytes.begin()) : 0)
        << " / " << (differ.second + 4 <= b.bytes.end() ? GetLong(b.bytes, differ.second - b.bytes.begin()) : 0);
    return a.threw == b.threw && (a.threw || sameReport) && a.bytes == b.bytes;
}

// Runs the request both ways and expects the same outcome unless the one pass refused the
// file; returns the one pass's outcome, or nullopt after a broken expectation.
template <typename Request>
std::optional<Outcome> Compare(const Bytes& bytes, const Request& request, Tally& tally)
{
    const Outcome walking = Apply(bytes, request, true);
    const Outcome onePass = Apply(bytes, request);
    if (onePass.threw && !walking.threw) {
        ++tally.refused;
        return onePass;
    }
    if (!ExpectSame(onePass, walking)) {
        return std::nullopt;
    }
    ++(onePass.threw ? tally.threw : tally.onePass);
    return onePass;
}

// Names as a user may send them: any from the pool, or "Select all" in list order, reversed or
// shuffled, sometimes with every name repeated several times.
std::vector<TextureName> Names(std::mt19937& rng, const Bytes& bytes)
{
    std::vector<TextureName> names;
    try {
        names = ScanIlluminationTextures(OptImage(Bytes(bytes)));
    } catch (const OptError&) {
    }
    switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
    case 0: return RandomNames(rng);
    case 1: break;
    case 2: std::reverse(names.begin(), names.end()); break;
    default: std::shuffle(names.begin(), names.end(), rng); break;
    }
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
        const std::vector<TextureName> once = names;
        for (int copies = std::uniform_int_distribution<int>(1, 4)(rng); copies > 0; --copies) {
            names.insert(names.end(), once.rbegin(), once.rend());
        }
    }
    return names;
}

// The same request with its names shuffled and each repeated. Where no pointer lies past the
// end the result does not depend on the order; a pointer the growing file reaches does, so
// the shuffled request is held against the oracle run with the same order.
template <typename Request>
void CompareShuffled(std::mt19937& rng, const Bytes& bytes, Request request, Tally& tally)
{
    std::vector<TextureName> names = request.names;
    names.insert(names.end(), request.names.begin(), request.names.end());
    std::shuffle(names.begin(), names.end(), rng);
    request.names = names;
    Compare(bytes, request, tally);
}

// Illumination, transparency on its result, illumination again: second runs and c = 1 textures
// made by the rewrite itself are compared too.
void CompareChain(std::mt19937& rng, const Bytes& model, Tally& tally)
{
    const IlluminationRequest lit{Names(rng, model), RandomColours(rng, model)};
    const auto first = Compare(model, lit, tally);
    if (!first || first->threw) {
        return;
    }
    CompareShuffled(rng, model, lit, tally);
    const TransparencyRequest clear{Names(rng, first->bytes), RandomColours(rng, first->bytes),
                                    std::uniform_int_distribution<int>(0, 255)(rng)};
    const auto second = Compare(first->bytes, clear, tally);
    if (second && !second->threw) {
        CompareShuffled(rng, first->bytes, clear, tally);
        Compare(second->bytes, IlluminationRequest{Names(rng, second->bytes), RandomColours(rng, second->bytes)}, tally);
    }
}

TEST(Differential, OnePassRewritesMatchTheWalkingReferenceOnRandomModels)
{
    std::mt19937 rng(20240611);
    Tally tally;
    for (int i = 0; i < 600 && !HasFailure(); ++i) {
        const auto mutation = kAllMutations[static_cast<std::size_t>(i) % std::size(kAllMutations)];
        const bool odd = i % 4 == 3;
        SCOPED_TRACE("case " + std::to_string(i) + ", mutation: " + MutationName(mutation) + (odd ? ", odd shapes" : ""));
        CompareChain(rng, MakeRandomModel(rng, mutation, odd).bytes, tally);
    }
    // Most files were compared, failures too, and only overlapping structures were refused.
    EXPECT_GT(tally.onePass, 900);
    EXPECT_LT(tally.refused, 150);
    EXPECT_GT(tally.threw, 5);
}

// Every pointer the growth may reach, most within 64 bytes of the loaded end: each is reached
// at its own insertion, some between the two blocks made for one texture.
TEST(Differential, EveryPointerTheGrowingFileReachesMovesAsInTheOracle)
{
    std::mt19937 rng(4242);
    Tally tally;
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        CompareChain(rng, MakeRandomModel(rng, Mutation::PointersTheGrowthReaches, i % 4 == 3).bytes, tally);
    }
    EXPECT_GT(tally.onePass, 500);
}

TEST(Differential, WellFormedModelsTakeTheOnePath)
{
    std::mt19937 rng(777);
    int checked = 0;
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
        const Mutation mutation = kAllMutations[static_cast<std::size_t>(i) % std::size(kAllMutations)];
        SCOPED_TRACE("case " + std::to_string(i) + ", mutation: " + MutationName(mutation));
        const RandomModel model = MakeRandomModel(rng, mutation, false);
        Tally tally;
        const auto outcome = Compare(model.bytes, IlluminationRequest{NamePool(), {}}, tally);
        if (!outcome) {
            continue;
        }
        EXPECT_TRUE(!outcome->threw || !KeepsModelOnePass(mutation));
        checked += outcome->threw ? 0 : 1;
    }
    EXPECT_GT(checked, 220);
}

// The benchmark models, small: random shapes, shared palettes, names repeated many times, every
// request order; "Select all" in both modes.
TEST(Differential, SelectAllOnGeneratedModelsInEveryOrder)
{
    for (const ModelShape& shape : {GenerateLargeModel(300), GenerateRepeatedNamesModel(300, 7)}) {
        const bool plain = shape.tops.size() == 1; // the first: every texture can be made transparent
        const Bytes model = Build(shape).bytes;
        auto names = ScanIlluminationTextures(OptImage(Bytes(model)));
        std::mt19937 rng(5);
        for (int order = 0; order < 3; ++order) {
            SCOPED_TRACE("order " + std::to_string(order));
            Tally tally;
            const auto lit = Compare(model, IlluminationRequest{names, {}}, tally);
            ASSERT_TRUE(lit && !lit->threw);
            const TransparencyRequest clear{names, {.customSelect = true, .picked = {{248, 252, 248}}, .tolerance = 90}, 40};
            const auto cleared = Compare(model, clear, tally);
            ASSERT_TRUE(cleared && !cleared->threw);
            EXPECT_EQ(cleared->report.alphaNodesAdded, plain ? 300 : cleared->report.texturesRewritten);
            order == 0 ? std::reverse(names.begin(), names.end()) : std::shuffle(names.begin(), names.end(), rng);
        }
    }
}

} // namespace
} // namespace lathwork
