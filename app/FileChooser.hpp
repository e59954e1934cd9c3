#pragma once

#include "app/ListBox.hpp"

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

// The three lists of the OPT chooser. Each reports a change of its own path; the window ties
// them together and applies the resets.
namespace lathwork::app {

// The drives: the mounted volumes of the machine, by root path.
class DriveList : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString drive READ Drive NOTIFY driveChanged)
public:
    explicit DriveList(QWidget* parent = nullptr);
    QString Drive() const;
    // Shows the volume that holds path, without reporting a change.
    void ShowDriveOf(const QString& path);

signals:
    // Another drive was chosen.
    void driveChanged(const QString& rootPath);
};

// The folders: the chain of folders down to the current one, then its subfolders. Activating
// an entry (double click or Enter) moves there.
class FolderList : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ Path WRITE SetPath NOTIFY pathChanged)
public:
    explicit FolderList(QWidget* parent = nullptr);
    QString Path() const { return path_; }
    // Moves to folder and returns true. A folder that cannot be read is reported through
    // folderRefused and leaves the list where it was; moving to the current folder changes
    // nothing.
    bool SetPath(const QString& folder);

signals:
    void pathChanged(const QString& path);
    // A folder the user tried to open could not be read.
    void folderRefused(const QString& problem);

private:
    void Fill();
    QString path_;
};

// The files of one folder whose names end in ".opt", in any case. Its own fills are never
// reported as a user's choice.
class FileList : public ListBox {
    Q_OBJECT
    Q_PROPERTY(QString path READ Path WRITE SetPath)
    Q_PROPERTY(QString fileName READ FileName)
public:
    explicit FileList(QWidget* parent = nullptr);
    QString Path() const { return path_; }
    // Lists the folder anew; no file is selected afterwards.
    void SetPath(const QString& folder);
    // Lists the same folder again, keeping the selected file while it is there. Returns false
    // when the selected file has gone.
    bool Reread();
    // The selected entry, or empty when none is.
    QString FileName() const;
    // Folder, separator and file name; empty when no file is selected.
    QString FilePath() const;

private:
    QStringList Listing() const;
    QString path_;
};

} // namespace lathwork::app
