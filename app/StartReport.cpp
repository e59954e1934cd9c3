#include "app/StartReport.hpp"

#include "app/DataFiles.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

namespace lathwork::app {

namespace {

QString Property(const QWidget& window, const char* control, const char* property)
{
    const QObject* found = window.findChild<QObject*>(QString::fromLatin1(control));
    return found == nullptr ? QStringLiteral("(missing)") : found->property(property).toString();
}

QString EnabledText(bool enabled) { return enabled ? QStringLiteral("enabled") : QStringLiteral("disabled"); }

} // namespace

QString StartReport(const QWidget& window)
{
    QString report = QStringLiteral("title: %1\n").arg(window.windowTitle());
    report += QStringLiteral("folder: %1\n").arg(Property(window, "optdirectory", "path"));
    report += QStringLiteral("file: %1\n").arg(Property(window, "optfile", "fileName"));
    for (const char* name : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin"}) {
        const auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
        report += button == nullptr ? QStringLiteral("%1: (missing)\n").arg(QLatin1String(name))
                                    : QStringLiteral("%1: %2, %3\n")
                                          .arg(QLatin1String(name), button->text(), EnabledText(button->isEnabled()));
    }
    const auto* extract = window.findChild<QAction*>(QStringLiteral("extracttexmenu"));
    report += QStringLiteral("extracttexmenu: %1\n")
                  .arg(extract == nullptr ? QStringLiteral("(missing)") : EnabledText(extract->isEnabled()));
    report += QStringLiteral("backdrop: %1\n").arg(FindDataFile(QStringLiteral("clkscrn.bmp")));
    return report;
}

} // namespace lathwork::app
