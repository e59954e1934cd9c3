// The Edit menu: Undo and Redo of every BEGIN, from the bytes kept for each file.
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/TextureItems.hpp"
#include "app/rules/ChangeHistory.hpp"

#include "modify/RewriteFile.hpp"
#include "opt/FileIo.hpp"

#include <optional>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

using lathwork::rules::ChangeHistory;

void LathworkWindow::BuildEditMenu()
{
    history_ = std::make_unique<ChangeHistory>();
    auto* edit = new QMenu(QStringLiteral("&Edit"), this);
    edit->setObjectName(QStringLiteral("editmenu"));
    // Between Modify and Extras: File and Modify keep the first places.
    menuBar()->insertMenu(menuBar()->findChild<QMenu*>(QStringLiteral("extrasmenu"))->menuAction(), edit);
    undomenu_ = edit->addAction(QStringLiteral("&Undo"));
    undomenu_->setObjectName(QStringLiteral("undomenu"));
    undomenu_->setShortcut(QKeySequence::Undo);
    redomenu_ = edit->addAction(QStringLiteral("&Redo"));
    redomenu_->setObjectName(QStringLiteral("redomenu"));
    redomenu_->setShortcut(QKeySequence::Redo);
    connect(undomenu_, &QAction::triggered, this, [this] { StepHistory(true); });
    connect(redomenu_, &QAction::triggered, this, [this] { StepHistory(false); });
    connect(optfile_, &QListWidget::itemSelectionChanged, this, &LathworkWindow::UpdateEditMenu);
    UpdateEditMenu();
}

std::string LathworkWindow::HistoryKey() const
{
    return HasFile() ? QFileInfo(OptPath()).absoluteFilePath().toStdString() : std::string();
}

void LathworkWindow::ShowSaveWarnings(const std::vector<std::string>& warnings)
{
    for (const std::string& warning : warnings) {
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Warning, QStringLiteral("Lathwork"),
                                          QString::fromStdString(warning)});
    }
}

bool LathworkWindow::FileRewritten(lathwork::FileChange change)
{
    if (!change.written) {
        // Saying "Complete!" here would claim a change the file never got.
        SetStatus(QStringLiteral("Nothing was changed: the file already holds what BEGIN would write, so it was "
                                 "left as it was."));
        return false;
    }
    ShowSaveWarnings(change.warnings);
    history_->Record(HistoryKey(), std::move(change.before), std::move(change.after));
    UpdateEditMenu();
    RefreshShownTexture();
    return true;
}

void LathworkWindow::UpdateEditMenu()
{
    if (undomenu_ == nullptr) {
        return; // still being built
    }
    const std::string file = HistoryKey();
    const bool chosen = !file.empty();
    undomenu_->setEnabled(chosen && history_->UndoTarget(file) != nullptr);
    redomenu_->setEnabled(chosen && history_->RedoTarget(file) != nullptr);
    // The menu says when the history no longer reaches as far as this file's changes went.
    undomenu_->setText(chosen && history_->UndoDropped(file) ? QStringLiteral("&Undo (older changes dropped)")
                                                             : QStringLiteral("&Undo"));
    redomenu_->setText(chosen && history_->RedoDropped(file) ? QStringLiteral("&Redo (later changes dropped)")
                                                             : QStringLiteral("&Redo"));
}

void LathworkWindow::StepHistory(bool undo)
{
    if (WorkRunning()) {
        return;
    }
    const std::string file = HistoryKey();
    const ChangeHistory::Change* change =
        file.empty() ? nullptr : undo ? history_->UndoTarget(file) : history_->RedoTarget(file);
    if (change == nullptr) {
        return;
    }
    // The file is replaced only while it holds exactly what this step expects: anything else
    // was written by someone else since, and would be lost.
    const auto& expected = undo ? change->after : change->before;
    const auto& wanted = undo ? change->before : change->after;
    std::optional<lathwork::SaveReport> saved;
    const bool done = Guarded([&] {
        const auto path = lathwork::app::NativePath(OptPath());
        InBackground([&] { saved = lathwork::RestoreFile(path, expected, wanted); });
    });
    if (!done) {
        return;
    }
    const bool unchanged = saved.has_value();
    if (!unchanged) {
        const QString problem = undo ? QStringLiteral("The file has changed since that BEGIN wrote it. Undo would lose "
                                                      "those changes, so the file is left as it is.")
                                     : QStringLiteral("The file has changed since that BEGIN was undone. Redo would "
                                                      "lose those changes, so the file is left as it is.");
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"),
                                          QDir::toNativeSeparators(OptPath()) + QStringLiteral("\n\n") + problem});
        return;
    }
    // The change's bytes move within the history: the lists are read before they do.
    RefreshStaleLists(expected, wanted);
    undo ? history_->Undone(file) : history_->Redone(file);
    ShowSaveWarnings(saved->warnings);
    UpdateEditMenu();
    RefreshShownTexture();
    SetStatus(undo ? QStringLiteral("Undone: the file holds again what it held before that BEGIN.")
                   : QStringLiteral("Redone: the file holds again what that BEGIN wrote."));
    lathwork::app::Beep();
}
