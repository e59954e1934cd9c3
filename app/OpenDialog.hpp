#pragma once

#include <QString>

#include <functional>

class QWidget;

// The File > Open dialog. It goes through a hook, like the message boxes, so that tests can
// answer it instead of blocking on a modal dialog.
namespace lathwork::app {

// Returns the chosen file, or an empty string when the user cancelled.
using OpenDialogHook = std::function<QString(QWidget* parent, const QString& folder)>;

// An empty hook restores the real dialog.
void SetOpenDialogHook(OpenDialogHook hook);

// Asks for an OPT model, starting in folder.
QString AskForModel(QWidget* parent, const QString& folder);

// The dialog's filter: every spelling of "*.opt", so that the list matches the file list's
// case-blind rule on every file system.
QString ModelFilter();

} // namespace lathwork::app
