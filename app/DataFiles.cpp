#include "app/DataFiles.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef LATHWORK_DATA_FROM_BIN
#define LATHWORK_DATA_FROM_BIN "../share/lathwork"
#endif

namespace lathwork::app {

QString FindDataFile(const QString& name)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {programFolder.filePath(name),
                                     programFolder.filePath(QStringLiteral(LATHWORK_DATA_FROM_BIN "/") + name)}) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(candidate);
        }
    }
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("lathwork/") + name);
}

} // namespace lathwork::app
