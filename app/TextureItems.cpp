#include "app/TextureItems.hpp"

#include "opt/NameText.hpp"

#include <QByteArray>
#include <QFile>
#include <QListWidget>

namespace lathwork::app {

namespace {

constexpr int kNameRole = Qt::UserRole;

// Shown as the command line shows it: unprintable bytes as \xHH.
QString ShownName(const std::string& name)
{
    const std::string shown = NameText(name);
    return QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size()));
}

} // namespace

void AddTextureItem(QListWidget* list, const std::string& name)
{
    auto* item = new QListWidgetItem(ShownName(name), list);
    item->setData(kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

void AddTextureItems(QListWidget* list, const std::vector<std::string>& names)
{
    // One insertion of all the rows: row by row, the view lays itself out again for each.
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        shown << ShownName(name);
    }
    // Every row is one line of text: the view need not measure thousands of them one by one.
    list->setUniformItemSizes(true);
    const int first = list->count();
    list->addItems(shown);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        list->item(first + static_cast<int>(i))
            ->setData(kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
}

std::string TextureItemName(const QListWidgetItem* item)
{
    const QByteArray bytes = item->data(kNameRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool AnySelected(const QListWidget* list)
{
    return list->selectionModel()->hasSelection();
}

std::filesystem::path NativePath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString()); // the 8-bit code page cannot hold every name
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace lathwork::app
