#pragma once

#include <QIcon>
#include <QImage>

// Pictures the window draws for itself: nothing is loaded from files.
namespace lathwork::app {

enum class ModeArt { Transparency, Animation, Cloaking, Illumination };

// The toolbar picture of a mode, at the given size in pixels.
QImage ToolbarPicture(ModeArt mode, int size);
QIcon ToolbarIcon(ModeArt mode);

// The 256 x 256 picture bmpdisplay shows at start-up.
QImage StartupPicture();

// The application icon: a lathe-turned ship on a dark disc, drawn at size x size pixels.
QImage ApplicationPicture(int size);
QIcon ApplicationIcon();

} // namespace lathwork::app
