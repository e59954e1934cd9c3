#include "app/Artwork.hpp"
#include "app/Feedback.hpp"
#include "app/LathworkWindow.hpp"
#include "app/StartArguments.hpp"
#include "app/StartReport.hpp"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

void Print(std::FILE* stream, const QString& text) { std::fputs(text.toLocal8Bit().constData(), stream); }

} // namespace

int main(int argc, char* argv[])
{
    using lathwork::app::StartArguments;
    // --help and --version are answered before the toolkit starts, so they work without a display.
    QStringList words;
    for (int i = 1; i < argc; ++i) {
        words << QString::fromLocal8Bit(argv[i]);
    }
    const StartArguments early = lathwork::app::ParseStartArguments(words);
    if (early.action == StartArguments::Action::Help || early.action == StartArguments::Action::Version) {
        Print(stdout, early.action == StartArguments::Action::Help ? lathwork::app::StartHelp()
                                                                   : lathwork::app::StartVersion());
        return 0;
    }

    QApplication application(argc, argv); // takes the toolkit's own options (-platform, -style ...)
    QApplication::setApplicationName(QStringLiteral("Lathwork"));
    QApplication::setDesktopFileName(QStringLiteral("org.lathwork.Lathwork"));
    QApplication::setWindowIcon(lathwork::app::ApplicationIcon());
    const StartArguments start = lathwork::app::ParseStartArguments(QApplication::arguments().mid(1));
    if (start.action == StartArguments::Action::Error) {
        Print(stderr, QStringLiteral("lathwork: %1\nTry \"lathwork --help\".\n").arg(start.error));
        return 2;
    }

    const bool report = qEnvironmentVariableIsSet("LATHWORK_START_REPORT");
    if (report) {
        lathwork::app::SetMessageHook(
            [](const lathwork::app::Message& message) { Print(stderr, QStringLiteral("message: %1\n").arg(message.text)); });
    }
    LathworkWindow window;
    window.show();
    if (!start.file.isEmpty()) {
        window.OpenModel(start.file);
    }
    if (report) {
        QTimer::singleShot(0, &window, [&window] {
            Print(stdout, lathwork::app::StartReport(window));
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
