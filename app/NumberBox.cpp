#include "app/NumberBox.hpp"

#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace lathwork::app {

NumberBox::NumberBox(QScrollBar* bar, QLineEdit* box, QObject* parent) : QObject(parent), bar_(bar), box_(box)
{
    connect(bar_, &QScrollBar::valueChanged, box_, [this](int value) {
        // Setting the same text again while the user types would swallow the next keystroke.
        const QString text = QString::number(value);
        if (box_->text() != text) {
            box_->setText(text);
        }
    });
    connect(box_, &QLineEdit::textChanged, this, &NumberBox::BoxChanged);
    box_->installEventFilter(this);
}

int NumberBox::WholeNumber(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return -1;
    }
    int value = 0;
    for (const QChar c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = std::min(value * 10 + (c.unicode() - '0'), 256);
    }
    return value;
}

void NumberBox::BoxChanged(const QString& text)
{
    const int value = WholeNumber(text);
    if (value > 255) {
        box_->setText(QStringLiteral("255")); // runs this rule again, which moves the bar
        return;
    }
    if (value >= 0 && bar_ != nullptr) {
        bar_->setValue(value);
    }
}

bool NumberBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == box_ && event->type() == QEvent::FocusOut && bar_ != nullptr) {
        const QString shown = QString::number(bar_->value());
        if (box_->text() != shown) {
            box_->setText(shown);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lathwork::app
