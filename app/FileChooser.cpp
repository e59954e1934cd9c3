#include "app/FileChooser.hpp"
#include "app/rules/NaturalOrder.hpp"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace lathwork::app {

namespace {

constexpr int kPathRole = Qt::UserRole;

} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& volume : volumes) {
        if (volume.isValid() && volume.isReady() && findData(volume.rootPath()) < 0) {
            const QString name = volume.displayName();
            const QString text = name == volume.rootPath() ? name : volume.rootPath() + "  [" + name + "]";
            addItem(text, volume.rootPath());
        }
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            emit driveChanged(itemData(index).toString());
        }
    });
}

QString DriveList::Drive() const { return currentData().toString(); }

void DriveList::ShowDriveOf(const QString& path)
{
    const QSignalBlocker quiet(this);
    const QString root = QStorageInfo(path).rootPath();
    int index = findData(root);
    if (index < 0 && !root.isEmpty()) {
        addItem(root, root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetPath(item->data(kPathRole).toString()); });
}

bool FolderList::SetPath(const QString& folder)
{
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (clean == path_) {
        return true;
    }
    const QFileInfo info(clean);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        emit folderRefused(QStringLiteral("The folder %1 cannot be opened.").arg(QDir::toNativeSeparators(clean)));
        return false;
    }
    path_ = clean;
    Fill();
    emit pathChanged(path_);
    return true;
}

void FolderList::Fill()
{
    clear();
    // The chain from the root down to the current folder, indented like a tree.
    QStringList chain;
    for (QDir up(path_);; ) {
        chain.prepend(up.absolutePath());
        if (!up.cdUp()) {
            break;
        }
    }
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QDir(folder).dirName();
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + name, this);
        item->setData(kPathRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList subfolders =
        QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + name, this);
        item->setData(kPathRole, QDir(path_).filePath(name));
    }
}

FileList::FileList(QWidget* parent) : ListBox(parent) {}

QStringList FileList::Listing() const
{
    // The folder may hold tens of thousands of other files: the name filter drops them as the
    // folder is read, and only the models are sorted.
    QDir folder(path_, QStringLiteral("*.opt"), QDir::NoSort, QDir::Files | QDir::Hidden);
    const QStringList names = folder.entryList();
    std::vector<std::pair<std::string, QString>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        keyed.emplace_back(name.toStdString(), name);
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return lathwork::rules::NaturalLess(a.first, b.first); });
    QStringList listed;
    for (auto& [key, name] : keyed) {
        listed << std::move(name);
    }
    return listed;
}

void FileList::SetPath(const QString& folder)
{
    path_ = folder;
    Quietly([&] {
        clear();
        addItems(Listing());
        setCurrentRow(-1);
    });
}

bool FileList::Reread()
{
    const QStringList names = Listing();
    QStringList shown;
    for (int row = 0; row < count(); ++row) {
        shown << item(row)->text();
    }
    const QString selected = FileName();
    if (names == shown) {
        return true;
    }
    Quietly([&] {
        clear();
        addItems(names);
        SelectOnly(static_cast<int>(names.indexOf(selected)));
        if (selected.isEmpty() || !names.contains(selected)) {
            setCurrentRow(-1, QItemSelectionModel::NoUpdate);
        }
    });
    return selected.isEmpty() || names.contains(selected);
}

QString FileList::FileName() const
{
    const int row = SelectedRow();
    return row >= 0 ? item(row)->text() : QString();
}

QString FileList::FilePath() const
{
    const QString name = FileName();
    return name.isEmpty() ? QString() : QDir(path_).filePath(name);
}

} // namespace lathwork::app
