#include "FuzzOperations.hpp"

#include "testkit/WalkingOracle.hpp"

#include "imaging/TextureImage.hpp"
#include "modify/Cloaking.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

namespace lathwork::fuzz {

Choices ReadChoices(const OptImage& image)
{
    Choices choices;
    try {
        const std::int32_t g = ReadPointerBase(image);
        VisitTextures(image, g, [&](std::int32_t node) { choices.names.push_back(ReadTextureName(image, node)); });
    } catch (const OptError&) {
    }
    try {
        choices.setCount = static_cast<int>(ScanTextureSets(image).size());
    } catch (const OptError&) {
    }
    try {
        choices.lowFound = ScanCloakingDistances(image).cloakFound;
    } catch (const OptError&) {
    }
    return choices;
}

namespace {

TextureName DeriveName(InputReader& in, const Choices& choices)
{
    if (!choices.names.empty() && !in.OneIn(8)) {
        return in.Pick(choices.names);
    }
    TextureName name(8, '\0');
    for (char& ch : name) {
        ch = static_cast<char>(in.Byte());
    }
    return name;
}

ColourChoice DeriveColours(InputReader& in, bool customSelect)
{
    ColourChoice colours;
    colours.customSelect = customSelect;
    const int picked = in.Int(0, 3);
    for (int i = 0; i < picked; ++i) {
        colours.picked.push_back({in.Byte(), in.Byte(), in.Byte()});
    }
    colours.tolerance = in.Byte();
    return colours;
}

} // namespace

Operation DeriveOperation(InputReader& in, const Choices& choices)
{
    Operation op;
    op.kind = static_cast<RewriteKind>(in.Int(0, 4));
    switch (op.kind) {
    case RewriteKind::IlluminateEntire:
    case RewriteKind::IlluminateCustom:
    case RewriteKind::Transparency: {
        const int count = in.Int(0, 3);
        for (int i = 0; i < count; ++i) {
            op.names.push_back(DeriveName(in, choices));
        }
        const bool custom = op.kind == RewriteKind::IlluminateCustom ||
                            (op.kind == RewriteKind::Transparency && in.Bool());
        op.colours = DeriveColours(in, custom);
        op.opacity = in.Byte();
        break;
    }
    case RewriteKind::Animate: {
        const int count = in.Int(0, 3);
        for (int i = 0; i < count; ++i) {
            op.rows.push_back(in.Int(0, 255) % (choices.setCount + 2) - 1);
        }
        break;
    }
    case RewriteKind::Cloak:
        op.high = in.Single();
        if (choices.lowFound || in.OneIn(4)) {
            op.low = in.Single();
        }
        break;
    }
    return op;
}

void Apply(OptImage& image, const Operation& op, bool walking)
{
    switch (op.kind) {
    case RewriteKind::IlluminateEntire:
    case RewriteKind::IlluminateCustom:
        walking ? testkit::WalkIllumination(image, IlluminationRequest{op.names, op.colours})
                : RunIllumination(image, IlluminationRequest{op.names, op.colours});
        break;
    case RewriteKind::Transparency:
        walking ? testkit::WalkTransparency(image, TransparencyRequest{op.names, op.colours, op.opacity})
                : RunTransparency(image, TransparencyRequest{op.names, op.colours, op.opacity});
        break;
    case RewriteKind::Animate:
        AnimateTextureSets(image, op.rows);
        break;
    case RewriteKind::Cloak:
        WriteCloakingDistances(image, op.high, op.low);
        break;
    }
}

} // namespace lathwork::fuzz
