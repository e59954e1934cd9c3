// The lists of every scanned mode kept true to the file after Undo and Redo: a list read before
// the file changed would offer what the file no longer holds, and the set list's rows stand for
// sets counted in walk order, so a stale row would animate another set. (A BEGIN changes only
// its own mode's list, which its rewrite reads again where it changes.)
#include "app/CloakingScale.hpp"
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/TextureItems.hpp"

#include "modify/Cloaking.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <QDir>
#include <QItemSelection>
#include <QPushButton>

#include <optional>
#include <set>

using lathwork::app::ColourMode;
using lathwork::app::ListBox;

namespace lathwork::app {

// What one mode's scan of the file now gives, or why it could not be read.
template <typename Result>
struct Rescan {
    bool wanted = false; // the mode was scanned: its button reads BEGIN
    std::optional<Result> result;
    std::string error;
};

struct StaleScans {
    Rescan<std::vector<TextureName>> illum;
    Rescan<std::vector<TextureName>> trans;
    Rescan<std::vector<std::string>> sets;
    Rescan<CloakingScan> cloak;
    bool distancesMoved = false; // the change moved the cloaking distances
};

} // namespace lathwork::app

namespace {

using lathwork::app::Rescan;

const QString kBegin = QStringLiteral("BEGIN");

template <typename Result>
void RunScan(Rescan<Result>& rescan, const std::function<Result()>& scan)
{
    if (!rescan.wanted) {
        return;
    }
    try {
        rescan.result = scan();
    } catch (const std::exception& error) {
        rescan.error = error.what();
    }
}

// An image of bytes held elsewhere, for reading while they live.
lathwork::OptImage Borrow(const std::vector<std::uint8_t>& bytes)
{
    return lathwork::OptImage(bytes, std::shared_ptr<const void>(&bytes, [](const void*) {}));
}

bool SameDistances(const lathwork::CloakingScan& a, const lathwork::CloakingScan& b)
{
    return a.high == b.high && a.low == b.low && a.cloakFound == b.cloakFound;
}

std::vector<std::string> ShownNames(const ListBox* list)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(list->count()));
    for (int row = 0; row < list->count(); ++row) {
        names.push_back(lathwork::app::TextureItemName(list->item(row)));
    }
    return names;
}

// Fills a texture list with names again; entries whose name was selected stay selected (as
// runs of rows, one range each), and the current entry stays current where its name is left.
void RefillKeepingSelection(ListBox* list, const std::vector<std::string>& names)
{
    std::set<std::string> selected;
    for (const QListWidgetItem* item : list->selectedItems()) {
        selected.insert(lathwork::app::TextureItemName(item));
    }
    const QListWidgetItem* current = list->currentItem();
    const std::string currentName = current != nullptr ? lathwork::app::TextureItemName(current) : std::string();
    list->Quietly([&] {
        list->clear();
        lathwork::app::AddTextureItems(list, names);
        QItemSelection runs;
        int newCurrent = -1;
        for (int row = 0; row < list->count(); ++row) {
            const std::string& name = names[static_cast<std::size_t>(row)];
            if (newCurrent < 0 && current != nullptr && name == currentName) {
                newCurrent = row;
            }
            if (selected.count(name) == 0) {
                continue;
            }
            int last = row;
            while (last + 1 < list->count() && selected.count(names[static_cast<std::size_t>(last + 1)]) != 0) {
                ++last;
            }
            runs.select(list->model()->index(row, 0), list->model()->index(last, 0));
            row = last;
        }
        if (newCurrent >= 0) {
            list->selectionModel()->setCurrentIndex(list->model()->index(newCurrent, 0), QItemSelectionModel::NoUpdate);
        }
        list->selectionModel()->select(runs, QItemSelectionModel::ClearAndSelect);
    });
}

// Scans the file as it is now (after) for each mode that wants it; the distances are also
// compared with the file as it was (before).
void ScanAgain(lathwork::app::StaleScans& s, const std::vector<std::uint8_t>& before,
               const std::vector<std::uint8_t>& after)
{
    const lathwork::OptImage now = Borrow(after);
    RunScan<std::vector<lathwork::TextureName>>(s.illum, [&] { return lathwork::ScanIlluminationTextures(now); });
    RunScan<std::vector<lathwork::TextureName>>(s.trans, [&] { return lathwork::ScanTransparencyTextures(now); });
    RunScan<std::vector<std::string>>(s.sets, [&] { return lathwork::ScanTextureSets(now); });
    RunScan<lathwork::CloakingScan>(s.cloak, [&] { return lathwork::ScanCloakingDistances(now); });
    if (s.cloak.result) {
        try {
            s.distancesMoved = !SameDistances(*s.cloak.result, lathwork::ScanCloakingDistances(Borrow(before)));
        } catch (const std::exception&) {
            s.distancesMoved = true;
        }
    }
}

} // namespace

void LathworkWindow::RefreshStaleLists(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after)
{
    lathwork::app::StaleScans s;
    s.illum.wanted = illum_->begin->text() == kBegin;
    s.trans.wanted = trans_->begin->text() == kBegin;
    s.sets.wanted = animbutbegin_->text() == kBegin;
    s.cloak.wanted = cloakbutbegin_->text() == kBegin;
    if ((s.illum.wanted || s.trans.wanted || s.sets.wanted || s.cloak.wanted) &&
        Guarded([&] { InBackground([&] { ScanAgain(s, before, after); }); })) {
        ApplyRescans(s);
    }
}

void LathworkWindow::ApplyRescans(const lathwork::app::StaleScans& s)
{
    std::string firstError;
    const auto failed = [&](ListBox* list, QPushButton* button, const std::string& error) {
        if (list != nullptr) {
            list->Quietly([list] { list->clear(); });
        }
        ScanFailed(button);
        firstError = firstError.empty() ? error : firstError;
    };
    for (auto [mode, rescan] : {std::pair{illum_.get(), &s.illum}, std::pair{trans_.get(), &s.trans}}) {
        if (!rescan->wanted) {
            continue;
        }
        if (!rescan->result) {
            failed(mode->textures, mode->begin, rescan->error);
        } else if (*rescan->result != ShownNames(mode->textures)) {
            RefillKeepingSelection(mode->textures, *rescan->result);
            UpdateBeginAfterPick(*mode);
        }
    }
    if (s.sets.wanted && !s.sets.result) {
        failed(animtexturesetlist_, animbutbegin_, s.sets.error);
        animtexturelist_->Quietly([this] { animtexturelist_->clear(); });
    } else if (s.sets.wanted && static_cast<std::size_t>(animtexturesetlist_->count()) != s.sets.result->size()) {
        // The set list names its rows by count alone, and one change adds or removes sets: the
        // same count is the same sets. Another count may shift every row, so no row stays chosen.
        animtexturesetlist_->Quietly([&] {
            animtexturesetlist_->clear();
            for (const std::string& set : *s.sets.result) {
                animtexturesetlist_->addItem(QString::fromStdString(set));
            }
        });
        animtexturelist_->Quietly([this] { animtexturelist_->clear(); });
        animbutbegin_->setEnabled(false);
    }
    if (s.cloak.wanted && !s.cloak.result) {
        failed(nullptr, cloakbutbegin_, s.cloak.error);
    } else if (s.cloak.wanted && s.distancesMoved) {
        // The boxes may hold an edit not yet written: they are read again only when the change
        // moved the distances. The ships show with the scale, in Cloaking only.
        cloak_->Show(*s.cloak.result);
        if (CurrentMode() != QLatin1String("Cloaking")) {
            cloak_->HideForOtherMode();
        }
    }
    if (!firstError.empty()) {
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"),
                                          QDir::toNativeSeparators(OptPath()) + QStringLiteral("\n\n") +
                                              QString::fromStdString(firstError)});
    }
}
