// Modes, the SCAN/BEGIN dispatch, the chooser's resets and the scans.
#include "app/BusyCursor.hpp"
#include "app/CloakingScale.hpp"
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/PreviewPane.hpp"
#include "app/StatusLine.hpp"
#include "app/TextureItems.hpp"

#include "opt/OptImage.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <new>

using lathwork::app::AddTextureItem;
using lathwork::app::AnySelected;
using lathwork::app::ColourMode;
using lathwork::app::NativePath;

namespace {

const QString kScan = QStringLiteral("SCAN");
const QString kBegin = QStringLiteral("BEGIN");

} // namespace

QString LathworkWindow::CurrentMode() const { return introframe_->title(); }

QString LathworkWindow::Instruction(const QString& mode) const
{
    if (mode == QLatin1String("Illumination")) {
        return QStringLiteral("Choose textures to make illuminated from list, then press BEGIN");
    }
    if (mode == QLatin1String("Transparency")) {
        return QStringLiteral("Choose textures to make transparent from list, then press BEGIN");
    }
    if (mode == QLatin1String("Animation")) {
        return QStringLiteral("Choose texture sets to make animated from list, then press BEGIN");
    }
    return QStringLiteral("Modify cloaking distance, then press BEGIN");
}

void LathworkWindow::SetStatus(const QString& text) { textactions_->setPlainText(text); }

void LathworkWindow::SwitchMode(const QString& mode, bool fromMenu)
{
    const struct {
        QString name;
        QAction* item;
        QGroupBox* frame;
        QPushButton* button;
    } modes[] = {{QStringLiteral("Transparency"), transparencymenu_, transparencyframe_, trans_->begin},
                 {QStringLiteral("Animation"), animationmenu_, animationframe_, animbutbegin_},
                 {QStringLiteral("Cloaking"), cloakingmenu_, cloakingframe_, cloakbutbegin_},
                 {QStringLiteral("Illumination"), illuminationmenu_, illuminationframe_, illum_->begin}};
    QPushButton* button = nullptr;
    for (const auto& m : modes) {
        // The menu and the toolbar are not kept in step: only the menu moves its check mark.
        if (fromMenu) {
            m.item->setChecked(m.name == mode);
        }
        if (m.name == mode) {
            button = m.button;
        }
    }
    introframe_->setTitle(mode);
    for (const auto& m : modes) {
        if (m.name == mode) {
            m.frame->show();
            m.frame->raise();
        } else {
            m.frame->hide();
        }
    }
    if (button->text() == kScan) {
        SetStatus(QStringLiteral("Select OPT from directory, then press SCAN"));
    } else if (button->text() == kBegin) {
        SetStatus(Instruction(mode));
    }
    const bool cloaking = mode == QLatin1String("Cloaking");
    if (cloaking) {
        bmpdisplay_->SetPicture(cloak_->Backdrop().toImage());
    } else {
        bmpdisplay_->ClearPicture();
    }
    texdisplayed_->setText(QString());
    if (cloaking) {
        cloak_->ShowForMode();
        extracttexmenu_->setEnabled(false);
    } else {
        cloak_->HideForOtherMode();
        if (HasFile()) {
            extracttexmenu_->setEnabled(true);
        }
    }
}

void LathworkWindow::ToolbarClicked()
{
    // The first button that is down decides; the menu's check marks stay as they are.
    for (QAction* button : toolbarButtons_) {
        if (button->isChecked()) {
            SwitchMode(button->text(), false);
            return;
        }
    }
}

void LathworkWindow::BeginClicked(QPushButton* button)
{
    const QString caption = button->text();
    if (caption != kScan && caption != kBegin) {
        return;
    }
    const bool scan = caption == kScan;
    if (button == illum_->begin) {
        scan ? ScanTextures(*illum_) : RewriteIllumination();
    } else if (button == trans_->begin) {
        scan ? ScanTextures(*trans_) : RewriteTransparency();
    } else if (button == animbutbegin_) {
        scan ? ScanTextureSets() : RewriteAnimation();
    } else {
        scan ? ScanCloaking() : RewriteCloaking();
    }
}

void LathworkWindow::SelectAll(QListWidget* list, bool selected)
{
    for (int row = 0; row < list->count(); ++row) {
        list->item(row)->setSelected(selected);
    }
    // A change of selection: the list's own click behaviour follows.
    if (list == animtexturesetlist_) {
        SetListClicked();
    } else {
        ColourMode& mode = list == illum_->textures ? *illum_ : *trans_;
        TextureListClicked(mode, list->currentItem());
    }
}

QString LathworkWindow::OptPath() const { return optfile_->FilePath(); }

bool LathworkWindow::HasFile() const { return !optfile_->FileName().isEmpty(); }

void LathworkWindow::ApplyReset(bool arm)
{
    for (QPushButton* button : {trans_->begin, animbutbegin_, cloakbutbegin_, illum_->begin}) {
        button->setEnabled(arm);
    }
    const QString mode = CurrentMode();
    if (mode == QLatin1String("Illumination") || mode == QLatin1String("Animation") ||
        mode == QLatin1String("Transparency")) {
        bmpdisplay_->ClearPicture();
        texdisplayed_->setText(QString());
    }
    trans_->begin->setText(kScan);
    trans_->textures->clear();
    animbutbegin_->setText(kScan);
    animtexturelist_->clear();
    cloakbutbegin_->setText(kScan);
    cloak_->ResetForNewFile();
    illum_->begin->setText(kScan);
    for (QListWidget* list : {illum_->textures, illum_->red, illum_->green, illum_->blue}) {
        list->clear();
    }
    extracttexmenu_->setEnabled(arm);
}

void LathworkWindow::FolderChanged(const QString& path)
{
    optdrive_->ShowDriveOf(path);
    optfile_->SetPath(path);
    ApplyReset(false);
}

void LathworkWindow::DriveChanged(const QString& root)
{
    if (!optdirectory_->SetPath(root)) {
        // The drive cannot be read (already reported): keep the previous drive and folder.
        optdrive_->ShowDriveOf(optdirectory_->Path());
        return;
    }
    ApplyReset(false);
}

bool LathworkWindow::Guarded(const std::function<void()>& work)
{
    QString problem;
    try {
        const lathwork::app::BusyCursor busy;
        work();
        return true;
    } catch (const std::bad_alloc&) {
        problem = QStringLiteral("There is not enough memory for this file.");
    } catch (const std::exception& error) {
        problem = QString::fromStdString(error.what());
    } catch (...) {
        problem = QStringLiteral("An unexpected error occurred.");
    }
    const QString file = QDir::toNativeSeparators(OptPath());
    lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"),
                                      file.isEmpty() ? problem : file + QStringLiteral("\n\n") + problem});
    return false;
}

void LathworkWindow::FinishScan(QPushButton* button, const QString& mode, bool disable)
{
    button->setText(kBegin);
    if (disable) {
        button->setEnabled(false);
    }
    SetStatus(Instruction(mode));
    lathwork::app::Beep();
}

void LathworkWindow::ScanTextures(ColourMode& mode)
{
    mode.textures->clear();
    const bool illumination = &mode == illum_.get();
    const bool done = Guarded([&] {
        const lathwork::OptImage image = lathwork::OptImage::Load(NativePath(OptPath()));
        state_.GlobalOffset = lathwork::ReadPointerBase(image);
        const auto names = illumination ? lathwork::ScanIlluminationTextures(image)
                                        : lathwork::ScanTransparencyTextures(image);
        for (const auto& name : names) {
            AddTextureItem(mode.textures, name);
        }
    });
    if (done) {
        FinishScan(mode.begin, mode.name, true);
    }
}

void LathworkWindow::ScanTextureSets()
{
    animtexturesetlist_->clear();
    const bool done = Guarded([&] {
        const lathwork::OptImage image = lathwork::OptImage::Load(NativePath(OptPath()));
        state_.GlobalOffset = lathwork::ReadPointerBase(image);
        for (const std::string& set : lathwork::ScanTextureSets(image)) {
            animtexturesetlist_->addItem(QString::fromStdString(set));
        }
    });
    if (done) {
        FinishScan(animbutbegin_, QStringLiteral("Animation"), true);
    }
}

void LathworkWindow::ScanCloaking()
{
    if (Guarded([&] { cloak_->Scan(OptPath()); })) {
        FinishScan(cloakbutbegin_, QStringLiteral("Cloaking"), false);
    }
}

void LathworkWindow::SetListClicked()
{
    animbutbegin_->setEnabled(false);
    // Without a chosen file (after a folder change) there is nothing to scan or rewrite.
    if (AnySelected(animtexturesetlist_) && HasFile()) {
        animbutbegin_->setEnabled(true);
    }
    ListSetTextures();
}

void LathworkWindow::ListSetTextures()
{
    animtexturelist_->clear();
    const int current = animtexturesetlist_->currentRow();
    if (current < 0 || !HasFile()) {
        return;
    }
    Guarded([&] {
        const lathwork::OptImage image = lathwork::OptImage::Load(NativePath(OptPath()));
        state_.GlobalOffset = lathwork::ReadPointerBase(image);
        for (const auto& name : lathwork::ListSetTextures(image, current)) {
            AddTextureItem(animtexturelist_, name);
        }
    });
}
