#pragma once

// The pictures of the cloaking distance scale, drawn in code: the 256 x 256 backdrop and the
// two 16 x 16 ship markers.

class QImage;
class QString;

namespace cloakart {

// Where the backdrop leaves room for the scale's widgets (pane coordinates).
inline constexpr int kAxisY = 140;          // the scale line under the two ship lanes
inline constexpr int kZoomLabelTop = 146;   // zoomdistance, under the right end of the line
inline constexpr int kZoomBarTop = 234;     // zoomadjuster, along the bottom

// The backdrop: ship lanes at y 104 and 120, a scale line with ticks from x 8 to 240 (the
// centres of a ship at x 0 and x 232), "ALWAYS" at the left and "NEVER" at the right edge.
QImage DrawBackdrop();

// A ship marker pointing right, on a transparent ground: cyan for the high-visibility
// distance, amber for the low one.
QImage DrawShip(bool high);

// Writes DrawBackdrop() as a 24-bit BMP (how assets/clkscrn.bmp is made). False on failure.
bool SaveBackdrop(const QString& path);

} // namespace cloakart
