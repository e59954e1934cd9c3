#pragma once

#include <QPlainTextEdit>

namespace lathwork::app {

// The status line textactions: a read-only text box whose whole text each step replaces.
class StatusLine : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    using QPlainTextEdit::QPlainTextEdit;
    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }
};

} // namespace lathwork::app
