// The File menu: opening a model from anywhere (the Open dialog, the recent models, a drop, the
// command line) leads to the state a click on it in the file list gives.
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ModelDrops.hpp"
#include "app/OpenDialog.hpp"
#include "app/RecentModels.hpp"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

const QString kTitle = QStringLiteral("Lathwork v1.8");

// Why the file cannot be opened as a model, or empty when it can.
QString ModelProblem(const QFileInfo& info)
{
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists()) {
        return QStringLiteral("The file %1 does not exist.").arg(shown);
    }
    if (!info.isFile()) {
        return QStringLiteral("%1 is not a file.").arg(shown);
    }
    if (!info.fileName().endsWith(QLatin1String(".opt"), Qt::CaseInsensitive)) {
        return QStringLiteral("%1 is not an OPT model: only files whose names end in .opt can be opened.").arg(shown);
    }
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("The file %1 cannot be read: %2.").arg(shown, file.errorString());
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isReadable() || !folder.isExecutable()) {
        return QStringLiteral("The folder %1 cannot be opened.").arg(QDir::toNativeSeparators(folder.filePath()));
    }
    return {};
}

QListWidgetItem* Listed(const QListWidget* files, const QString& name)
{
    const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return found.isEmpty() ? nullptr : found.front();
}

} // namespace

void LathworkWindow::BuildFileMenu()
{
    auto* file = new QMenu(QStringLiteral("&File"), this);
    file->setObjectName(QStringLiteral("filemenu"));
    menuBar()->insertMenu(menuBar()->actions().value(0), file);
    QAction* open = file->addAction(QStringLiteral("&Open…"));
    open->setObjectName(QStringLiteral("openmenu"));
    open->setShortcut(QKeySequence::Open);
    openrecentmenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    openrecentmenu_->setObjectName(QStringLiteral("openrecentmenu"));
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"));
    quit->setObjectName(QStringLiteral("quitmenu"));
    quit->setShortcut(QKeySequence::Quit);

    connect(open, &QAction::triggered, this, [this] {
        const QString chosen = lathwork::app::AskForModel(this, optdirectory_->Path());
        if (!chosen.isEmpty()) {
            OpenModel(chosen);
        }
    });
    // Models deleted since the list was kept drop out each time the menu opens.
    connect(file, &QMenu::aboutToShow, this, &LathworkWindow::FillRecentMenu);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    FillRecentMenu();

    connect(optfile_, &QListWidget::itemSelectionChanged, this, &LathworkWindow::ShowModelInTitle);
    connect(optdirectory_, &lathwork::app::FolderList::pathChanged, this, &LathworkWindow::ShowModelInTitle);
    new lathwork::app::ModelDrops(this, [this](const QString& path) { OpenModel(path); });
}

bool LathworkWindow::OpenModel(const QString& path)
{
    const QFileInfo info(path);
    const QString problem = ModelProblem(info);
    if (!problem.isEmpty()) {
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"), problem});
        return false;
    }
    // As the user would: choose the folder (a new folder disarms), then click the file.
    if (!optdirectory_->SetPath(info.absolutePath())) {
        return false; // reported by the folder list
    }
    QListWidgetItem* item = Listed(optfile_, info.fileName());
    if (item == nullptr) {
        optfile_->SetPath(optdirectory_->Path()); // the model is newer than the listing
        item = Listed(optfile_, info.fileName());
    }
    if (item == nullptr) {
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"),
                                          QStringLiteral("The file %1 cannot be listed.")
                                              .arg(QDir::toNativeSeparators(info.absoluteFilePath()))});
        return false;
    }
    // The same path as a click on the file: it arms again even when the file was chosen already.
    optfile_->Quietly([this, item] { optfile_->SelectOnly(optfile_->row(item)); });
    optfile_->scrollToItem(item);
    fileClicked_ = true;
    FileChoiceChanged();
    lathwork::app::AddRecentModel(info.absoluteFilePath());
    return true;
}

void LathworkWindow::FillRecentMenu()
{
    openrecentmenu_->clear();
    const QStringList recent = lathwork::app::RecentModels();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QString text = QDir::toNativeSeparators(path);
        text.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* entry = openrecentmenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
        connect(entry, &QAction::triggered, this, [this, path] { OpenModel(path); });
    }
    openrecentmenu_->menuAction()->setEnabled(!recent.isEmpty());
}

void LathworkWindow::ShowModelInTitle()
{
    const QString name = optfile_->FileName();
    setWindowTitle(name.isEmpty() ? kTitle : kTitle + QStringLiteral(" — ") + name);
}
