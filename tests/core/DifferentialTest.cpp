// The indexed rewrites against the walking ones on a plain contiguous buffer: for random models
// and requests, the same bytes, the same reports and the same failures.

#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"
#include "testkit/DifferentialModels.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace lathwork {
namespace {

using namespace testkit;

struct Outcome {
    bool threw = false;
    Bytes bytes;
    RewriteReport report;
};

template <typename Rewrite>
Outcome Apply(const Bytes& bytes, OptImage::Storage storage, const Rewrite& rewrite)
{
    Outcome out;
    try {
        OptImage image(Bytes(bytes), storage);
        out.report = rewrite(image);
        out.bytes.assign(image.Bytes().begin(), image.Bytes().end());
    } catch (const OptError&) {
        out.threw = true;
    }
    return out;
}

struct Tally {
    int indexed = 0;
    int walked = 0;
    int threw = 0;
};

// Runs one rewrite both ways, expects the same outcome and returns it (nullopt after a failure
// of the expectation).
template <typename Request>
std::optional<Outcome> Compare(const Bytes& bytes, const Request& request, Tally& tally)
{
    auto run = [&](RewriteEngine engine) {
        return [&request, engine](OptImage& image) {
            if constexpr (std::is_same_v<Request, IlluminationRequest>) {
                return RunIllumination(image, request, engine);
            } else {
                return RunTransparency(image, request, engine);
            }
        };
    };
    const Outcome walking = Apply(bytes, OptImage::Storage::Contiguous, run(RewriteEngine::Walking));
    const Outcome indexed = Apply(bytes, OptImage::Storage::Split, run(RewriteEngine::Indexed));
    EXPECT_EQ(indexed.threw, walking.threw);
    EXPECT_FALSE(walking.report.indexed);
    if (indexed.threw || walking.threw) {
        ++tally.threw;
        return indexed.threw == walking.threw ? std::optional(walking) : std::nullopt;
    }
    ++(indexed.report.indexed ? tally.indexed : tally.walked);
    EXPECT_EQ(indexed.report.notFound, walking.report.notFound);
    EXPECT_EQ(indexed.report.texturesChanged, walking.report.texturesChanged);
    EXPECT_EQ(indexed.bytes.size(), walking.bytes.size());
    if (indexed.bytes != walking.bytes) {
        std::size_t i = 0;
        while (i < std::min(indexed.bytes.size(), walking.bytes.size()) && indexed.bytes[i] == walking.bytes[i]) {
            ++i;
        }
        ADD_FAILURE() << "the files first differ at offset " << i;
        return std::nullopt;
    }
    return indexed;
}

std::vector<TextureName> Names(std::mt19937& rng, const Bytes& bytes)
{
    // Now and then "Select all": every name the illumination scan lists.
    if (std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
        try {
            return ScanIlluminationTextures(OptImage(Bytes(bytes)));
        } catch (const OptError&) {
        }
    }
    return RandomNames(rng);
}

IlluminationRequest RandomIllumination(std::mt19937& rng, const Bytes& bytes)
{
    return {Names(rng, bytes), RandomColours(rng, bytes)};
}

TransparencyRequest RandomTransparency(std::mt19937& rng, const Bytes& bytes)
{
    return {Names(rng, bytes), RandomColours(rng, bytes), std::uniform_int_distribution<int>(0, 255)(rng)};
}

// Illumination, transparency on its result, illumination again: second runs and c = 1 textures
// made by the rewrite itself are compared too. Returns whether the first run was indexed.
bool CompareChain(std::mt19937& rng, const Bytes& model, Tally& tally)
{
    const auto first = Compare(model, RandomIllumination(rng, model), tally);
    if (!first || first->threw) {
        return false;
    }
    const auto second = Compare(first->bytes, RandomTransparency(rng, first->bytes), tally);
    if (second && !second->threw) {
        Compare(second->bytes, RandomIllumination(rng, second->bytes), tally);
    }
    return first->report.indexed;
}

TEST(Differential, IndexedRewritesMatchTheWalkingOnesOnRandomModels)
{
    std::mt19937 rng(20240611);
    Tally tally;
    for (int i = 0; i < 600 && !HasFailure(); ++i) {
        const Mutation mutation = kAllMutations[static_cast<std::size_t>(i) % std::size(kAllMutations)];
        const bool odd = i % 4 == 3;
        SCOPED_TRACE("case " + std::to_string(i) + ", mutation: " + MutationName(mutation) + (odd ? ", odd shapes" : ""));
        const RandomModel model = MakeRandomModel(rng, mutation, odd);
        CompareChain(rng, model.bytes, tally);
    }
    // Both ways were exercised, and failures were compared too.
    EXPECT_GT(tally.indexed, 600);
    EXPECT_GT(tally.walked, 40);
    EXPECT_GT(tally.threw, 5);
}

TEST(Differential, WellFormedModelsTakeTheIndexedPath)
{
    std::mt19937 rng(777);
    int checked = 0;
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
        const Mutation mutation = kAllMutations[static_cast<std::size_t>(i) % std::size(kAllMutations)];
        SCOPED_TRACE("case " + std::to_string(i) + ", mutation: " + MutationName(mutation));
        const RandomModel model = MakeRandomModel(rng, mutation, false);
        IlluminationRequest request{NamePool(), {}};
        Tally tally;
        const auto outcome = Compare(model.bytes, request, tally);
        if (!outcome || outcome->threw) {
            continue;
        }
        ++checked;
        if (KeepsModelIndexable(mutation)) {
            EXPECT_TRUE(outcome->report.indexed);
        } else if (mutation == Mutation::PartAfterItsTextures && model.mutated) {
            EXPECT_FALSE(outcome->report.indexed);
        }
    }
    EXPECT_GT(checked, 250);
}

// The largest case of the generated benchmark models, small: many textures in file order, half
// sharing palettes, sets every few leaves, "Select all" in both modes.
TEST(Differential, SelectAllOnALargeGeneratedModel)
{
    const Bytes model = Build(GenerateLargeModel(300)).bytes;
    Tally tally;
    const auto names = ScanIlluminationTextures(OptImage(Bytes(model)));
    const auto lit = Compare(model, IlluminationRequest{names, {}}, tally);
    ASSERT_TRUE(lit && !lit->threw);
    EXPECT_TRUE(lit->report.indexed);
    const auto clear = Compare(model, TransparencyRequest{names, {.customSelect = true, .picked = {{248, 252, 248}}, .tolerance = 90}, 40}, tally);
    ASSERT_TRUE(clear && !clear->threw);
    EXPECT_TRUE(clear->report.indexed);
    EXPECT_EQ(clear->report.texturesChanged, 300);
}

} // namespace
} // namespace lathwork
