#include "app/OpenDialog.hpp"

#include <QFileDialog>
#include <QStringList>

namespace lathwork::app {

namespace {

OpenDialogHook& dialogHook()
{
    static OpenDialogHook hook;
    return hook;
}

} // namespace

void SetOpenDialogHook(OpenDialogHook hook) { dialogHook() = std::move(hook); }

QString ModelFilter()
{
    // Bit i of spelling chooses the case of letter i of "opt".
    QStringList patterns;
    for (int spelling = 0; spelling < 8; ++spelling) {
        QString pattern = QStringLiteral("*.");
        for (int i = 0; i < 3; ++i) {
            const QChar letter = QLatin1String("opt")[i];
            pattern += (spelling >> i & 1) != 0 ? letter.toUpper() : letter;
        }
        patterns << pattern;
    }
    return QStringLiteral("OPT models (%1)").arg(patterns.join(QLatin1Char(' ')));
}

QString AskForModel(QWidget* parent, const QString& folder)
{
    if (dialogHook()) {
        return dialogHook()(parent, folder);
    }
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open OPT model"), folder, ModelFilter());
}

} // namespace lathwork::app
