// Modes, the SCAN/BEGIN dispatch, the chooser's resets and the scans.
#include "app/BusyCursor.hpp"
#include "app/CloakingScale.hpp"
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/PreviewPane.hpp"
#include "app/StatusLine.hpp"
#include "app/TextureItems.hpp"
#include "app/TextureView.hpp"

#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <QAction>
#include <QDir>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <new>
#include <string>
#include <utility>
#include <vector>

using lathwork::app::AddTextureItem;
using lathwork::app::AnySelected;
using lathwork::app::ColourMode;
using lathwork::app::ListBox;
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

void LathworkWindow::ShowScanPrompt()
{
    // A status line that already asks for SCAN (the start-up text ends in a line break) stays.
    const QString prompt = QStringLiteral("Select OPT from directory, then press SCAN");
    if (!textactions_->toPlainText().startsWith(prompt)) {
        SetStatus(prompt);
    }
}

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
    // The frame in front is the only one shown: the others' controls are out of reach.
    for (const auto& m : modes) {
        m.frame->setVisible(m.name == mode);
    }
    if (button->text() == kScan) {
        SetStatus(QStringLiteral("Select OPT from directory, then press SCAN"));
    } else if (button->text() == kBegin) {
        SetStatus(Instruction(mode));
    }
    const bool cloaking = mode == QLatin1String("Cloaking");
    ShowOnPane(cloaking ? cloak_->Backdrop().toImage() : QImage());
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
    if (WorkRunning() || (caption != kScan && caption != kBegin)) {
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

void LathworkWindow::SelectAll(ListBox* list, bool selected)
{
    // One change of the list's selection, made as one range the way Ctrl+A makes it: row by
    // row would leave a range per row and make every later look at the selection cost O(rows).
    // The list's rule runs once afterwards.
    list->AsOneAction([&] {
        if (list->count() == 0) {
            return;
        }
        const QItemSelection all(list->model()->index(0, 0), list->model()->index(list->count() - 1, 0));
        list->selectionModel()->select(all, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    });
}

QString LathworkWindow::OptPath() const { return optfile_->FilePath(); }

bool LathworkWindow::HasFile() const { return !optfile_->FileName().isEmpty(); }

void LathworkWindow::ApplyReset(bool arm)
{
    armedFile_ = arm ? optfile_->FileName() : QString();
    for (QPushButton* button : {trans_->begin, animbutbegin_, cloakbutbegin_, illum_->begin}) {
        button->setEnabled(arm);
    }
    const QString mode = CurrentMode();
    if (mode == QLatin1String("Illumination") || mode == QLatin1String("Animation") ||
        mode == QLatin1String("Transparency")) {
        ShowOnPane(QImage());
        texdisplayed_->setText(QString());
    }
    trans_->begin->setText(kScan);
    trans_->textures->Quietly([this] { trans_->textures->clear(); });
    animbutbegin_->setText(kScan);
    animtexturelist_->Quietly([this] { animtexturelist_->clear(); });
    cloakbutbegin_->setText(kScan);
    cloak_->ResetForNewFile();
    illum_->begin->setText(kScan);
    for (ListBox* list : {illum_->textures, illum_->red, illum_->green, illum_->blue}) {
        list->Quietly([list] { list->clear(); });
    }
    extracttexmenu_->setEnabled(arm);
    // Nothing of the previous file's texture may come back: the tolerance, the light or the
    // view would otherwise show it again as if it were this file's.
    texture_.reset();
    bmpholder_->ClearPicture();
    state_.TexWidth = 0;
    state_.TexHeight = 0;
    // Every button reads SCAN now, and the status line says so.
    ShowScanPrompt();
    UpdateEditMenu();
}

void LathworkWindow::FileChoiceChanged()
{
    // Choosing a file arms, by click or by keyboard; a click arms again even on the same file.
    // Leaving no file selected disarms: nothing may be scanned or written without one.
    const QString chosen = optfile_->FileName();
    const bool clicked = std::exchange(fileClicked_, false);
    if (!chosen.isEmpty() && (clicked || chosen != armedFile_)) {
        ApplyReset(true);
    } else if (chosen.isEmpty() && !armedFile_.isEmpty()) {
        ApplyReset(false);
    }
}

void LathworkWindow::FolderChanged(const QString& path)
{
    optdrive_->ShowDriveOf(path);
    ShowFolder(path);
    ApplyReset(false);
}

void LathworkWindow::ShowFolder(const QString& path)
{
    if (!folderWatch_->directories().isEmpty()) {
        folderWatch_->removePaths(folderWatch_->directories());
    }
    optfile_->SetPath(path);
    folderWatch_->addPath(path);
}

void LathworkWindow::FolderContentChanged()
{
    // Files copied in appear; the chosen file keeps its choice and the buttons their state
    // while it is there, and when it goes the window disarms as for a change of folder. A
    // long call's own temporary files wait until it is over.
    if (WorkRunning()) {
        folderChangedMeanwhile_ = true;
        return;
    }
    if (!optfile_->Reread() && !armedFile_.isEmpty()) {
        ApplyReset(false);
    }
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

void LathworkWindow::ScanFailed(QPushButton* button)
{
    // The list is empty now: the button goes back to SCAN, and the status line says so.
    button->setText(kScan);
    button->setEnabled(HasFile());
    ShowScanPrompt();
}

void LathworkWindow::ScanTextures(ColourMode& mode)
{
    mode.textures->Quietly([&] { mode.textures->clear(); });
    const bool illumination = &mode == illum_.get();
    const bool done = Guarded([&] {
        const auto path = NativePath(OptPath());
        std::vector<lathwork::TextureName> names;
        InBackground([&] {
            const lathwork::OptImage image = lathwork::OptImage::Load(path);
            names = illumination ? lathwork::ScanIlluminationTextures(image) : lathwork::ScanTransparencyTextures(image);
        });
        mode.textures->Quietly([&] { lathwork::app::AddTextureItems(mode.textures, names); });
    });
    done ? FinishScan(mode.begin, mode.name, true) : ScanFailed(mode.begin);
}

void LathworkWindow::ScanTextureSets()
{
    animtexturesetlist_->Quietly([this] { animtexturesetlist_->clear(); });
    const bool done = Guarded([&] {
        const auto path = NativePath(OptPath());
        std::vector<std::string> sets;
        InBackground([&] { sets = lathwork::ScanTextureSets(lathwork::OptImage::Load(path)); });
        animtexturesetlist_->Quietly([&] {
            for (const std::string& set : sets) {
                animtexturesetlist_->addItem(QString::fromStdString(set));
            }
        });
    });
    done ? FinishScan(animbutbegin_, QStringLiteral("Animation"), true) : ScanFailed(animbutbegin_);
}

void LathworkWindow::ScanCloaking()
{
    if (Guarded([&] { cloak_->Scan(OptPath()); })) {
        FinishScan(cloakbutbegin_, QStringLiteral("Cloaking"), false);
    } else {
        ScanFailed(cloakbutbegin_);
    }
}

void LathworkWindow::SetListChanged()
{
    // The BEGIN rule acts in state BEGIN only: under SCAN the button follows the file choice.
    if (animbutbegin_->text() == kBegin) {
        animbutbegin_->setEnabled(AnySelected(animtexturesetlist_) && HasFile());
    }
    ListSetTextures();
}

void LathworkWindow::ListSetTextures()
{
    animtexturelist_->Quietly([this] { animtexturelist_->clear(); });
    const int current = animtexturesetlist_->currentRow();
    if (current < 0 || !HasFile()) {
        return;
    }
    Guarded([&] {
        const lathwork::OptImage image = lathwork::OptImage::Load(NativePath(OptPath()));
        const auto names = lathwork::ListSetTextures(image, current);
        animtexturelist_->Quietly([&] {
            for (const auto& name : names) {
                AddTextureItem(animtexturelist_, name);
            }
        });
    });
}
