#pragma once

#include <vector>

// How the preview pane shows a picture at each zoom, and which picture pixel lies under each
// pane pixel: drawing and pointer both go through the same mapping, so a pick always reads the
// pixel the user sees.
namespace lathwork::rules {

// 1x is the pixel-for-pixel view from the pane's top-left corner; Fit scales the whole picture
// into the pane, keeping its proportions.
enum class Zoom { One, Two, Four, Fit };

struct Extent {
    int width = 0;
    int height = 0;
};

// The size the picture takes at zoom in a pane of the given size.
Extent ShownSize(Zoom zoom, Extent picture, Extent pane);

// For each column and row of a view (the pane, or its part left free by scroll bars): the
// picture column or row it shows, or -1 where the picture does not reach. scrollX and scrollY
// move the view over a picture larger than it (ignored by Fit, which never is).
struct PaneMapping {
    std::vector<int> columns;
    std::vector<int> rows;
};
PaneMapping MapPane(Zoom zoom, Extent picture, Extent pane, Extent view, int scrollX, int scrollY);

} // namespace lathwork::rules
