// BEGIN: the four rewrites, each on the file's bytes in memory and saved only when whole.
#include "app/CloakingScale.hpp"
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/StatusLine.hpp"
#include "app/TextureItems.hpp"

#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

using lathwork::app::ColourMode;
using lathwork::app::NativePath;

namespace {

// What every rewrite says when it is done.
const QString kComplete = QStringLiteral("Complete!  See readme for troubleshooting info ;-)");

std::vector<lathwork::TextureName> SelectedNames(const QListWidget* list)
{
    std::vector<lathwork::TextureName> names;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected()) {
            names.push_back(lathwork::app::TextureItemName(list->item(row)));
        }
    }
    return names;
}

} // namespace

bool LathworkWindow::ConfirmRewrite(const std::function<void()>& check)
{
    // A file that cannot be replaced gets one clear message and no warning.
    if (!Guarded([&] {
            check();
            lathwork::CheckReplaceable(NativePath(OptPath()));
        })) {
        return false;
    }
    const QString chosen = OptPath();
    lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Warning, QStringLiteral("OPT modification initiating"),
                                      QStringLiteral("The program will now modify the OPT.  This process will take a moment.")});
    // The file may go while the warning is open; the chooser then holds no file to name.
    if (!QFileInfo::exists(chosen)) {
        const std::string shown = lathwork::platform::DisplayPath(NativePath(chosen));
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"),
                                          QStringLiteral("Cannot modify %1: it was removed while the warning was open. "
                                                         "Nothing was written.")
                                              .arg(QString::fromStdString(shown))});
        return false;
    }
    return true;
}

void LathworkWindow::RewriteIllumination()
{
    if (!ConfirmRewrite([] {})) {
        return;
    }
    const lathwork::IlluminationRequest request{SelectedNames(illum_->textures), lathwork::app::ColourChoiceOf(*illum_)};
    lathwork::FileChange change;
    const bool done = Guarded([&] {
        const auto path = NativePath(OptPath());
        InBackground([&] {
            lathwork::RewriteFile(path, [&](lathwork::OptImage& image) { lathwork::RunIllumination(image, request); }, &change);
        });
    });
    if (done && FileRewritten(std::move(change))) {
        SetStatus(kComplete);
        lathwork::app::Beep();
    }
}

void LathworkWindow::RewriteTransparency()
{
    if (!ConfirmRewrite([] {})) {
        return;
    }
    const lathwork::TransparencyRequest request{SelectedNames(trans_->textures), lathwork::app::ColourChoiceOf(*trans_),
                                                transopacitybar_->value()};
    lathwork::FileChange change;
    const bool done = Guarded([&] {
        const auto path = NativePath(OptPath());
        InBackground([&] {
            lathwork::RewriteFile(path, [&](lathwork::OptImage& image) { lathwork::RunTransparency(image, request); }, &change);
        });
    });
    if (done && FileRewritten(std::move(change))) {
        // The list shows the file as it now is: changed textures are no longer offered.
        ScanTextures(*trans_);
        SetStatus(kComplete);
        lathwork::app::Beep();
    }
}

void LathworkWindow::RewriteAnimation()
{
    if (!ConfirmRewrite([] {})) {
        return;
    }
    std::vector<int> rows;
    for (int row = 0; row < animtexturesetlist_->count(); ++row) {
        if (animtexturesetlist_->item(row)->isSelected()) {
            rows.push_back(row);
        }
    }
    lathwork::FileChange change;
    const bool done = Guarded([&] {
        const auto path = NativePath(OptPath());
        InBackground([&] {
            lathwork::RewriteFile(path, [&](lathwork::OptImage& image) { lathwork::AnimateTextureSets(image, rows); }, &change);
        });
    });
    if (done && FileRewritten(std::move(change))) {
        ScanTextureSets();
        animtexturelist_->Quietly([this] { animtexturelist_->clear(); });
        SetStatus(kComplete);
        lathwork::app::Beep();
    }
}

void LathworkWindow::RewriteCloaking()
{
    // An edit still being typed counts; text that is no distance never reaches the file.
    cloak_->CommitEdits();
    if (!ConfirmRewrite([this] { cloak_->ValidateBoxes(); })) {
        return;
    }
    lathwork::FileChange change;
    if (Guarded([&] { cloak_->Write(OptPath(), &change, [this](const auto& rewrite) { InBackground(rewrite); }); })) {
        // Distances the file already holds are what was asked for: complete, with nothing to undo.
        if (change.written) {
            FileRewritten(std::move(change));
        }
        SetStatus(kComplete);
        lathwork::app::Beep();
    }
}
