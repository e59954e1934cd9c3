#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

class QListWidget;
class QListWidgetItem;

// Texture list items keep the 8 stored name bytes as their value; the text shown drops
// trailing zero bytes.
namespace lathwork::app {

void AddTextureItem(QListWidget* list, const std::string& name);
// As AddTextureItem for each name, in one insertion.
void AddTextureItems(QListWidget* list, const std::vector<std::string>& names);
std::string TextureItemName(const QListWidgetItem* item);
bool AnySelected(const QListWidget* list);

// Filesystem path of a file name shown in the window.
std::filesystem::path NativePath(const QString& path);

} // namespace lathwork::app
