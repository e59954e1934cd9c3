#pragma once

#include <QApplication>
#include <QCursor>

namespace lathwork::app {

// The hourglass for as long as the object lives, restored on every way out of a handler.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace lathwork::app
