#include "app/TextureItems.hpp"

#include <QByteArray>
#include <QFile>
#include <QListWidget>

namespace lathwork::app {

namespace {
constexpr int kNameRole = Qt::UserRole;
}

void AddTextureItem(QListWidget* list, const std::string& name)
{
    std::string shown = name;
    while (!shown.empty() && shown.back() == '\0') {
        shown.pop_back();
    }
    auto* item = new QListWidgetItem(QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size())), list);
    item->setData(kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

std::string TextureItemName(const QListWidgetItem* item)
{
    const QByteArray bytes = item->data(kNameRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool AnySelected(const QListWidget* list)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected()) {
            return true;
        }
    }
    return false;
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
