#pragma once

#include <QString>
#include <QStringList>

// The models opened last, newest first, kept in the user's settings (the platform's standard
// place, through QSettings).
namespace lathwork::app {

constexpr int kRecentModels = 8;

// The kept list. Entries whose files no longer exist are dropped, from the settings too.
QStringList RecentModels();

// Puts path at the front of the kept list.
void AddRecentModel(const QString& path);

// list with path at its front, without repeats, at most kRecentModels long.
QStringList WithRecent(QStringList list, const QString& path);

} // namespace lathwork::app
