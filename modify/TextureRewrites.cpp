#include "modify/RewriteEngines.hpp"
#include "modify/Rewrites.hpp"

#include "opt/Layout.hpp"

namespace lathwork {

namespace {

RewriteReport Run(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change)
{
    CheckTextureChange(change);
    const RewriteReport report = RunOnePass(image, names, change);
    image.WriteLong(layout::kBodyLength, CheckedAdd(image.Size(), -8));
    return report;
}

} // namespace

RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request)
{
    return Run(image, request.names, {TextureChange::Kind::Illumination, request.colours, 255});
}

RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request)
{
    return Run(image, request.names, {TextureChange::Kind::Transparency, request.colours, request.opacity});
}

} // namespace lathwork
