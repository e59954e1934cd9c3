#pragma once

#include <optional>
#include <string>

// The cloaking distance scale drawn over the preview pane.
namespace lathwork::rules {

// A ship's left edge at x = 0 is 0 km (ALWAYS), at x = kScaleEnd it is 2^zoom km (and NEVER).
inline constexpr int kScaleEnd = 232;
inline constexpr int kZoomMin = 1;
inline constexpr int kZoomMax = 10;

// Pixels per kilometre: 232 / 2^zoom.
double ScaleFactor(int zoom);

// The scale length label: "2 km" ... "1024 km".
std::string ZoomText(int zoom);

// The change rule of a distance box: either the text is replaced (and the rule runs again on
// the new text), or the ship moves to x with a tooltip, or nothing happens.
struct BoxChange {
    std::optional<std::string> replaceWith;
    std::optional<int> x;
    std::string tooltip;
};
BoxChange ApplyBoxChange(const std::string& text, int zoom);

// Where a zoom change puts a ship for its box text: NEVER at 232, ALWAYS at 0, a positive
// number k at k * f. nullopt (the ship stays) for any other text.
std::optional<int> ShipPosition(const std::string& text, int zoom);

// A dragged ship's left edge: the pointer x clamped to 0..232 (NaN gives 0).
int ClampDragX(double pointerX);

// The text a box gets when its ship is dragged to x: x / f rounded to two decimals.
std::string DragText(int x, int zoom);

} // namespace lathwork::rules
