#pragma once

#include <QObject>
#include <QPointer>

class QLineEdit;
class QScrollBar;

namespace lathwork::app {

// Ties a 0..255 scroll bar to the text box that mirrors it. The bar writes its value into the
// box; text in the box that is a whole number above 255 becomes "255", and a whole number
// moves the bar. Anything else (empty, negative, letters) leaves the bar at its last valid
// value, and the box shows that value again when it loses focus.
class NumberBox : public QObject {
    Q_OBJECT
public:
    NumberBox(QScrollBar* bar, QLineEdit* box, QObject* parent = nullptr);

    // Whole number in text (digits only, blanks around allowed), or -1. Numbers above 255 give
    // 256 so that huge ones cannot overflow.
    static int WholeNumber(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BoxChanged(const QString& text);

    // The window's children are deleted one by one: the box can lose focus after the bar is gone.
    QPointer<QScrollBar> bar_;
    QLineEdit* box_;
};

} // namespace lathwork::app
