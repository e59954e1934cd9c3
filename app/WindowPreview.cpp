// The texture lists' clicks, the preview and the extraction.
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/PreviewPane.hpp"
#include "app/StatusLine.hpp"
#include "app/TextureItems.hpp"

#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "opt/OptImage.hpp"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using lathwork::app::ColourMode;
using lathwork::app::NativePath;

void LathworkWindow::TextureListChanged(ColourMode& mode)
{
    // BEGIN rule: enabled exactly when an entry is selected. It acts in state BEGIN only; under
    // SCAN the list is empty and the button follows the file choice.
    if (mode.begin->text() == QLatin1String("BEGIN")) {
        mode.begin->setEnabled(lathwork::app::AnySelected(mode.textures));
    }
    // The current entry is the one the user acted on: it is shown, and marked when selected.
    PreviewTexture(mode.textures);
    const QListWidgetItem* current = mode.textures->currentItem();
    if (current != nullptr && current->isSelected()) {
        RemarkPickedColours(mode);
    }
}

void LathworkWindow::PreviewTexture(lathwork::app::ListBox* list)
{
    const QListWidgetItem* item = list->currentItem();
    if (item == nullptr) {
        return;
    }
    const std::string name = lathwork::app::TextureItemName(item);
    Guarded([&] {
        const lathwork::OptImage image = lathwork::OptImage::Load(NativePath(OptPath()));
        const auto picture = lathwork::PreviewTexture(image, name);
        if (!picture) {
            return; // no node carries the name: the pane keeps what it shows
        }
        // The picture is made in memory from the bitmap bytes: no file in the user's folder.
        const auto& bytes = picture->bitmap;
        const QImage shown = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
        bmpdisplay_->SetPicture(shown);
        bmpholder_->SetPicture(shown);
        texdisplayed_->setText(item->text());
        state_.TexWidth = picture->texture.width;
        state_.TexHeight = picture->texture.height;
    });
}

void LathworkWindow::ExtractTextures()
{
    if (Guarded([&] { lathwork::ExtractTextures(NativePath(OptPath())); })) {
        SetStatus(QStringLiteral("Extractions complete.  Find textures in FLIGHTMODELS folder."));
        lathwork::app::Beep();
    }
}
