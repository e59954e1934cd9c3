#pragma once

#include <QString>

class QWidget;

// What the window shows once started, one "name: value" line each: the title, the chosen
// folder and file, the four mode buttons, Extract Textures and the cloaking backdrop the
// window would load. Printed instead of running when LATHWORK_START_REPORT is set, so that an
// installed copy can be checked without a screen.
namespace lathwork::app {

QString StartReport(const QWidget& window);

} // namespace lathwork::app
