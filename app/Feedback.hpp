#pragma once

#include <QString>

#include <functional>

class QWidget;

// How the window tells the user things: message boxes and the beep. Both go through hooks so
// that tests can answer and record them instead of blocking on a modal box.
namespace lathwork::app {

enum class MessageKind { Warning, Error };

struct Message {
    MessageKind kind = MessageKind::Error;
    QString title;
    QString text;
};

using MessageHook = std::function<void(const Message&)>;
using BeepHook = std::function<void()>;

// An empty hook restores the real message box (one OK button) or the system beep.
void SetMessageHook(MessageHook hook);
void SetBeepHook(BeepHook hook);

void ShowMessage(QWidget* parent, const Message& message);
void Beep();

} // namespace lathwork::app
