// Colour picking on the preview, the picked-colour lists, the tolerance and the opacity.
#include "app/BusyCursor.hpp"
#include "app/ColourMode.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/PreviewPane.hpp"
#include "app/TextureItems.hpp"
#include "app/TextureView.hpp"

#include "colour/PickedColour.hpp"
#include "colour/Similarity.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

using lathwork::app::ColourMode;

namespace {

const QString kBegin = QStringLiteral("BEGIN");

lathwork::RgbBuffer ToBuffer(const QImage& picture)
{
    lathwork::RgbBuffer buffer(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            buffer.Set(x, y, lathwork::JoinColour({qRed(line[x]), qGreen(line[x]), qBlue(line[x])}));
        }
    }
    return buffer;
}

QImage ToImage(const lathwork::RgbBuffer& buffer)
{
    QImage picture(buffer.Width(), buffer.Height(), QImage::Format_RGB32);
    for (int y = 0; y < buffer.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < buffer.Width(); ++x) {
            const lathwork::Rgb c = lathwork::SplitColour(buffer.Get(x, y));
            line[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return picture;
}


void SetBackground(QWidget* swatch, QColor colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
}

} // namespace

ColourMode* LathworkWindow::PickingMode()
{
    const QString mode = CurrentMode();
    if (mode == illum_->name) {
        return illum_.get();
    }
    if (mode == trans_->name) {
        return trans_.get();
    }
    return nullptr;
}

void LathworkWindow::SetSwatch(ColourMode& mode, QColor colour)
{
    mode.swatchColour = colour;
    SetBackground(mode.swatch, colour);
    mode.swatchText->setText(QString::fromStdString(lathwork::SwatchText({colour.red(), colour.green(), colour.blue()})));
}

void LathworkWindow::PointerMoved(QPoint position)
{
    ColourMode* mode = PickingMode();
    // The colour is read from the texture at row 7 (marked, unless the result is shown),
    // whatever light level the pane shows: the rewrites compare row-7 colours. Outside the
    // picture there is no colour: the swatch keeps the last one.
    const QImage& shown = textureShown_ ? texture_->PickedFrom(previewresult_->isChecked()) : bmpdisplay_->Picture();
    if (mode == nullptr || !shown.valid(position)) {
        return;
    }
    SetSwatch(*mode, QColor(shown.pixel(position)));
}

void LathworkWindow::FollowPointer()
{
    const QPoint at = bmpdisplay_->RestingAt();
    if (at.x() >= 0) {
        PointerMoved(at);
    }
}

void LathworkWindow::PreviewClicked(QPoint position)
{
    const lathwork::app::BusyCursor busy;
    ColourMode* mode = PickingMode();
    // The texture's own colour is picked, never a mark laid over it.
    const QImage& shown = textureShown_ ? texture_->Plain() : bmpdisplay_->Picture();
    if (mode == nullptr || !shown.valid(position)) {
        return;
    }
    // The pixel clicked is picked, whatever the swatch showed before: the picture may have
    // moved under a resting pointer since it last moved.
    SetSwatch(*mode, QColor(shown.pixel(position)));
    const QColor colour = mode->swatchColour;
    const std::pair<lathwork::app::ListBox*, int> rows[] = {
        {mode->red, colour.red()}, {mode->green, colour.green()}, {mode->blue, colour.blue()}};
    for (const auto& [list, channel] : rows) {
        list->Quietly([&] { list->addItem(QString::fromStdString(lathwork::ChannelText(channel))); });
    }
    // Only the new colour is marked; earlier marks stay.
    lathwork::RgbBuffer display = ToBuffer(textureShown_ ? texture_->Marked() : bmpdisplay_->Picture());
    lathwork::MarkSimilarPixels(display, state_.TexWidth, state_.TexHeight,
                                {colour.red(), colour.green(), colour.blue()}, mode->tolerance->value());
    ShowMarked(ToImage(display));
    UpdateBeginAfterPick(*mode);
}

void LathworkWindow::RemarkPickedColours(ColourMode& mode)
{
    const lathwork::app::BusyCursor busy;
    const lathwork::RgbBuffer holder = ToBuffer(bmpholder_->Picture());
    lathwork::RgbBuffer display;
    lathwork::RemarkPickedColours(display, holder, state_.TexWidth, state_.TexHeight, lathwork::app::PickedColours(mode),
                                  mode.tolerance->value());
    // bmpholder's picture is the texture's: the pane shows the texture again.
    SetTextureShown(texture_ != nullptr);
    ShowMarked(ToImage(display));
}

void LathworkWindow::ShowMarked(const QImage& marked)
{
    if (!textureShown_) {
        bmpdisplay_->SetFixedPicture(marked);
        return;
    }
    texture_->SetMarked(marked);
    ShowTexture();
}

void LathworkWindow::UpdateBeginAfterPick(ColourMode& mode)
{
    if (mode.begin->text() != kBegin) {
        return;
    }
    mode.begin->setEnabled(false);
    const bool colours = mode.entire->isChecked() || (mode.custom->isChecked() && mode.red->count() > 0);
    if (lathwork::app::AnySelected(mode.textures) && colours) {
        mode.begin->setEnabled(true);
    }
}

void LathworkWindow::CustomSelectClicked(ColourMode& mode)
{
    if (mode.begin->text() == kBegin && mode.red->count() == 0) {
        mode.begin->setEnabled(false);
    }
}

void LathworkWindow::EntireTextureClicked(ColourMode& mode)
{
    if (mode.begin->text() == kBegin && lathwork::app::AnySelected(mode.textures)) {
        mode.begin->setEnabled(true);
    }
}

void LathworkWindow::ColourRowChanged(ColourMode& mode, lathwork::app::ListBox* changed)
{
    // The three lists are one list of colours: the sisters take the changed list's selected
    // row (or none) quietly, so that the rule runs once.
    const int row = changed->SelectedRow();
    for (lathwork::app::ListBox* list : {mode.red, mode.green, mode.blue}) {
        if (list != changed) {
            list->Quietly([&] { list->SelectOnly(row); });
        }
    }
    // With no row selected there is nothing to remove and no colour to show.
    mode.remove->setEnabled(row >= 0);
    if (const auto colour = lathwork::app::PickedColour(mode, row)) {
        SetSwatch(mode, QColor(colour->red, colour->green, colour->blue));
    }
}

void LathworkWindow::RemoveColour(ColourMode& mode)
{
    const lathwork::app::BusyCursor busy;
    const int row = mode.red->SelectedRow();
    for (lathwork::app::ListBox* list : {mode.red, mode.green, mode.blue}) {
        list->Quietly([&] {
            if (row >= 0 && row < list->count()) {
                delete list->takeItem(row);
            }
            list->clearSelection();
            list->setCurrentRow(-1);
        });
    }
    mode.remove->setEnabled(false);
    if (mode.custom->isChecked() && mode.begin->text() == kBegin && mode.red->count() == 0) {
        mode.begin->setEnabled(false);
    }
    RemarkPickedColours(mode);
}

void LathworkWindow::OpacityChanged(int value)
{
    SetBackground(transopacitydisplay_, QColor(255 - value, 255 - value, 255 - value));
}
