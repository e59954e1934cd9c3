#include "app/rules/PaneZoom.hpp"

#include <algorithm>
#include <cstdint>

namespace lathwork::rules {

namespace {

int Factor(Zoom zoom)
{
    return zoom == Zoom::Two ? 2 : zoom == Zoom::Four ? 4 : 1;
}

// One axis: view pixel i shows picture pixel (i + scroll) * size / shown, when inside.
std::vector<int> MapAxis(int size, int shown, int view, int scroll)
{
    std::vector<int> map(static_cast<std::size_t>(std::max(view, 0)), -1);
    for (int i = 0; i < view; ++i) {
        const std::int64_t at = static_cast<std::int64_t>(i) + scroll;
        if (at >= 0 && at < shown) {
            map[static_cast<std::size_t>(i)] = static_cast<int>(at * size / shown);
        }
    }
    return map;
}

} // namespace

Extent ShownSize(Zoom zoom, Extent picture, Extent pane)
{
    if (picture.width <= 0 || picture.height <= 0) {
        return {};
    }
    if (zoom != Zoom::Fit) {
        const std::int64_t factor = Factor(zoom);
        const auto clamp = [](std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, 1 << 30)); };
        return {clamp(picture.width * factor), clamp(picture.height * factor)};
    }
    // The largest size that fits both ways, at least one pixel.
    const double scale = std::min(static_cast<double>(std::max(pane.width, 1)) / picture.width,
                                  static_cast<double>(std::max(pane.height, 1)) / picture.height);
    return {std::max(1, static_cast<int>(picture.width * scale)), std::max(1, static_cast<int>(picture.height * scale))};
}

PaneMapping MapPane(Zoom zoom, Extent picture, Extent pane, Extent view, int scrollX, int scrollY)
{
    const Extent shown = ShownSize(zoom, picture, pane);
    if (zoom == Zoom::Fit) {
        scrollX = scrollY = 0;
    }
    return {MapAxis(picture.width, shown.width, view.width, scrollX),
            MapAxis(picture.height, shown.height, view.height, scrollY)};
}

} // namespace lathwork::rules
