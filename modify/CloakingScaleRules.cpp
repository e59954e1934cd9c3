#include "modify/Cloaking.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace lathwork {

namespace {

// Far beyond the pane, yet safe for widget coordinates.
constexpr double kFarRight = 1 << 24;

int Zoom(int zoom) { return std::clamp(zoom, kZoomMin, kZoomMax); }

// The text read as a Single, as the change rule and the zoom read it.
std::optional<float> ReadSingle(const std::string& text)
{
    const auto number = ParseNumber(text);
    if (!number || std::fabs(*number) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(*number);
}

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

double ScaleFactor(int zoom)
{
    return kScaleEnd / std::ldexp(1.0, Zoom(zoom));
}

std::string ZoomText(int zoom)
{
    return std::to_string(1 << Zoom(zoom)) + " km";
}

BoxChange ApplyBoxChange(const std::string& text, int zoom)
{
    if (text == ".") {
        return {.replaceWith = "0.01", .x = {}, .tooltip = {}};
    }
    // Texts that sort outside "-9999".."9999" by character code are words: letters, the empty
    // text, a leading blank or plus, and negative numbers such as -5.
    if (text.compare("9999") > 0 || text.compare("-9999") < 0) {
        switch (WordOf(text)) {
        case DistanceWord::Never: return {.replaceWith = {}, .x = kScaleEnd, .tooltip = "NEVER"};
        case DistanceWord::Always: return {.replaceWith = {}, .x = 0, .tooltip = "ALWAYS"};
        case DistanceWord::None: return {};
        }
    }
    const auto kilometres = ReadSingle(text);
    if (!kilometres) {
        return {}; // "1abc" and the like: no number, the ship stays
    }
    if (*kilometres == 0.0f) {
        return {.replaceWith = "ALWAYS", .x = {}, .tooltip = {}};
    }
    if (*kilometres < 0.0f) {
        return {};
    }
    return {.replaceWith = {}, .x = PlaceX(*kilometres, zoom), .tooltip = Shortest(*kilometres) + "km"};
}

std::string SettledText(std::string text)
{
    // Each replacement yields a text the rule leaves alone, so this ends after two rounds.
    while (auto replacement = ApplyBoxChange(text, kZoomMin).replaceWith) {
        text = std::move(*replacement);
    }
    return text;
}

std::optional<int> ShipPosition(const std::string& text, int zoom)
{
    switch (WordOf(text)) {
    case DistanceWord::Never: return kScaleEnd;
    case DistanceWord::Always: return 0;
    case DistanceWord::None: break;
    }
    const auto kilometres = ReadSingle(text);
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

std::string DragText(int x, int zoom)
{
    return FormatKilometres(x / ScaleFactor(zoom));
}

} // namespace lathwork
