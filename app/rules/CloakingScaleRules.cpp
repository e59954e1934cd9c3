#include "app/rules/CloakingScaleRules.hpp"

#include "modify/Cloaking.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lathwork::rules {

namespace {

// Far beyond the pane, yet safe for widget coordinates.
constexpr double kFarRight = 1 << 24;

int Zoom(int zoom) { return std::clamp(zoom, kZoomMin, kZoomMax); }

int PlaceX(float kilometres, int zoom)
{
    const double x = std::nearbyint(static_cast<double>(kilometres) * ScaleFactor(zoom));
    return static_cast<int>(std::min(x, kFarRight));
}

std::string Shortest(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

double ScaleFactor(int zoom) { return kScaleEnd / std::ldexp(1.0, Zoom(zoom)); }

std::string ZoomText(int zoom) { return std::to_string(1 << Zoom(zoom)) + " km"; }

BoxChange ApplyBoxChange(const std::string& text, int zoom)
{
    if (auto replacement = ReplacementText(text)) {
        return {.replaceWith = std::move(replacement), .x = {}, .tooltip = {}};
    }
    if (SortsAsWord(text)) {
        switch (WordOf(text)) {
        case DistanceWord::Never: return {.replaceWith = {}, .x = kScaleEnd, .tooltip = "NEVER"};
        case DistanceWord::Always: return {.replaceWith = {}, .x = 0, .tooltip = "ALWAYS"};
        case DistanceWord::None: return {};
        }
    }
    const auto kilometres = BoxKilometres(text);
    if (!kilometres || !(*kilometres > 0.0f)) {
        return {}; // "1abc", negatives and the like: the ship stays
    }
    return {.replaceWith = {}, .x = PlaceX(*kilometres, zoom), .tooltip = Shortest(*kilometres) + "km"};
}

std::optional<int> ShipPosition(const std::string& text, int zoom)
{
    switch (WordOf(text)) {
    case DistanceWord::Never: return kScaleEnd;
    case DistanceWord::Always: return 0;
    case DistanceWord::None: break;
    }
    const auto kilometres = BoxKilometres(text);
    if (!kilometres || !(*kilometres > 0.0f)) {
        return std::nullopt;
    }
    return PlaceX(*kilometres, zoom);
}

int ClampDragX(double pointerX)
{
    if (!(pointerX > 0)) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(std::min(pointerX, static_cast<double>(kScaleEnd))));
}

std::string DragText(int x, int zoom) { return FormatKilometres(x / ScaleFactor(zoom)); }

} // namespace lathwork::rules
