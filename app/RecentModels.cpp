#include "app/RecentModels.hpp"

#include <QFileInfo>
#include <QSettings>

namespace lathwork::app {

namespace {

const QString kKey = QStringLiteral("recentModels");
const QString kOwner = QStringLiteral("Lathwork");

} // namespace

QStringList RecentModels()
{
    QSettings settings(kOwner, kOwner);
    const QStringList kept = settings.value(kKey).toStringList();
    QStringList present;
    for (const QString& path : kept) {
        if (QFileInfo(path).isFile() && present.size() < kRecentModels && !present.contains(path)) {
            present << path;
        }
    }
    if (present != kept) {
        settings.setValue(kKey, present);
    }
    return present;
}

void AddRecentModel(const QString& path)
{
    QSettings settings(kOwner, kOwner);
    settings.setValue(kKey, WithRecent(settings.value(kKey).toStringList(), path));
}

QStringList WithRecent(QStringList list, const QString& path)
{
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kRecentModels) {
        list.removeLast();
    }
    return list;
}

} // namespace lathwork::app
