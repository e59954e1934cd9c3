#include "app/Feedback.hpp"

#include <QApplication>
#include <QMessageBox>

namespace lathwork::app {

namespace {

MessageHook& messageHook()
{
    static MessageHook hook;
    return hook;
}

BeepHook& beepHook()
{
    static BeepHook hook;
    return hook;
}

} // namespace

void SetMessageHook(MessageHook hook) { messageHook() = std::move(hook); }
void SetBeepHook(BeepHook hook) { beepHook() = std::move(hook); }

void ShowMessage(QWidget* parent, const Message& message)
{
    if (messageHook()) {
        messageHook()(message);
        return;
    }
    QMessageBox box(message.kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical,
                    message.title, message.text, QMessageBox::Ok, parent);
    box.exec();
}

void Beep()
{
    if (beepHook()) {
        beepHook()();
        return;
    }
    QApplication::beep();
}

} // namespace lathwork::app
