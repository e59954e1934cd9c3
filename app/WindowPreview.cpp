// The texture lists' clicks, the preview with its light level, result view and zoom, and the
// extraction.
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/PreviewPane.hpp"
#include "app/StatusLine.hpp"
#include "app/TextureItems.hpp"
#include "app/TextureView.hpp"

#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "opt/OptImage.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include <optional>

using lathwork::app::ColourMode;
using lathwork::app::NativePath;
using lathwork::app::TextureView;
using lathwork::app::ViewRequest;

namespace {

// The zoom an entry of previewzoom stands for: 1x, 2x, 4x, Fit.
lathwork::rules::Zoom ZoomAt(int index)
{
    using lathwork::rules::Zoom;
    const Zoom zooms[] = {Zoom::One, Zoom::Two, Zoom::Four, Zoom::Fit};
    return index >= 0 && index < 4 ? zooms[index] : Zoom::One;
}

} // namespace

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
    const QString shownName = item->text();
    const auto path = NativePath(OptPath());
    Guarded([&] {
        std::optional<lathwork::PreviewPicture> picture;
        InBackground([&] { picture = lathwork::PreviewTexture(lathwork::OptImage::Load(path), name); });
        if (!picture) {
            return; // no node carries the name: the pane keeps what it shows
        }
        state_.TexWidth = picture->texture.width;
        state_.TexHeight = picture->texture.height;
        // The picture is made in memory from the bitmap bytes: no file in the user's folder.
        texture_ = std::make_unique<TextureView>(name, std::move(*picture));
        bmpholder_->SetPicture(texture_->Plain());
        texdisplayed_->setText(shownName);
        SetTextureShown(true);
        bmpdisplay_->ScrollHome();
        ShowTexture();
        FollowPointer();
    });
}

void LathworkWindow::ShowOnPane(const QImage& picture)
{
    SetTextureShown(false);
    bmpdisplay_->SetFixedPicture(picture);
}

void LathworkWindow::SetTextureShown(bool shown)
{
    textureShown_ = shown;
    // Light, result and zoom act on a texture only: without one (no texture yet, the cloaking
    // scene) they would do nothing.
    for (QWidget* control : std::initializer_list<QWidget*>{lightingrowbar_, previewresult_, previewzoom_}) {
        if (control != nullptr) { // still being built
            control->setEnabled(shown);
        }
    }
}

void LathworkWindow::ShowTexture()
{
    if (!textureShown_ || !texture_) {
        return;
    }
    bmpdisplay_->SetPicture(texture_->Render(ViewNow()), ZoomAt(previewzoom_->currentIndex()));
}

ViewRequest LathworkWindow::ViewNow()
{
    ViewRequest request;
    request.row = lightingrowbar_->value();
    request.result = previewresult_->isChecked();
    if (const ColourMode* mode = PickingMode()) {
        request.pending = mode == illum_.get() ? ViewRequest::Pending::Illumination : ViewRequest::Pending::Transparency;
        request.choice = lathwork::app::ColourChoiceOf(*mode);
        request.opacity = transopacitybar_->value();
    }
    return request;
}

void LathworkWindow::RefreshShownTexture()
{
    if (!textureShown_ || !texture_ || !HasFile()) {
        return;
    }
    // Rewrites never change palette row 7, so the marks stay where they are.
    try {
        const lathwork::OptImage image = lathwork::OptImage::Load(NativePath(OptPath()));
        auto picture = lathwork::PreviewTexture(image, texture_->Name());
        if (!picture) {
            return;
        }
        auto fresh = std::make_unique<TextureView>(texture_->Name(), std::move(*picture));
        if (fresh->Plain() != texture_->Plain()) {
            return;
        }
        fresh->SetMarked(texture_->Marked());
        texture_ = std::move(fresh);
    } catch (const std::exception&) {
        return; // the pane keeps what it shows; the next click on the list reports the file
    }
    ShowTexture();
}

void LathworkWindow::ExtractTextures()
{
    if (WorkRunning()) {
        return;
    }
    const auto path = NativePath(OptPath());
    if (Guarded([&] { InBackground([&] { lathwork::ExtractTextures(path); }); })) {
        SetStatus(QStringLiteral("Extractions complete.  Find textures in FLIGHTMODELS folder."));
        lathwork::app::Beep();
    }
}
