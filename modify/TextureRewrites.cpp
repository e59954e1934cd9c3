#include "modify/RewriteEngines.hpp"
#include "modify/Rewrites.hpp"

#include "opt/Layout.hpp"

namespace lathwork {

namespace {

RewriteReport Run(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change,
                  RewriteEngine engine)
{
    CheckTextureChange(change);
    std::optional<RewriteReport> report;
    if (engine == RewriteEngine::OnePass) {
        report = RunOnePass(image, names, change);
    }
    if (!report) {
        report = RunWalking(image, names, change);
    }
    image.WriteLong(layout::kBodyLength, CheckedAdd(image.Size(), -8));
    return *report;
}

} // namespace

RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request, RewriteEngine engine)
{
    return Run(image, request.names, {TextureChange::Kind::Illumination, request.colours, 255}, engine);
}

RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request, RewriteEngine engine)
{
    return Run(image, request.names, {TextureChange::Kind::Transparency, request.colours, request.opacity}, engine);
}

} // namespace lathwork
