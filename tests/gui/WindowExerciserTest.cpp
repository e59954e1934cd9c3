// A seeded random walk of user actions over the whole window: clicks with and without Ctrl or
// Shift, drags, keys, shortcuts, typed text, the preview's light, result and zoom, the wheel
// and clicks on the preview, Undo and Redo, files that come, change and go, folder changes.
// After every action the window must hold its invariants, and Undo and Redo must do what the
// walk's own record of BEGIN's changes says.
// A failure prints the seed and the actions, so that the same seed and count replay it exactly.
//
//   LATHWORK_EXERCISER_SEED=n LATHWORK_EXERCISER_ACTIONS=m  run one walk of m actions from seed n
#include "app/FileChooser.hpp"
#include "app/ListBox.hpp"
#include "imaging/Extraction.hpp"
#include "modify/Cloaking.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include <csignal>
#include <deque>
#include <functional>
#include <cstdio>
#include <optional>
#include <random>
#include <set>
#include <unistd.h>

using namespace lathwork::testkit;
using lathwork::app::ListBox;

namespace {

// The preview pane's own background: no texture colour has a blue that is no multiple of 8.
const QColor kPaneBackground(48, 52, 60);

// The actions so far, for the report; kept where a crash handler can reach them.
std::vector<std::string> gActions;
unsigned gSeed = 0;

void Report()
{
    std::fprintf(stderr, "\nwindow exerciser: seed %u, %zu actions; replay with LATHWORK_EXERCISER_SEED=%u "
                         "LATHWORK_EXERCISER_ACTIONS=%zu\n",
                 gSeed, gActions.size(), gSeed, gActions.size());
    const std::size_t first = gActions.size() > 400 ? gActions.size() - 400 : 0;
    for (std::size_t i = first; i < gActions.size(); ++i) {
        std::fprintf(stderr, "%6zu  %s\n", i + 1, gActions[i].c_str());
    }
}

extern "C" void OnCrash(int signal)
{
    Report();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Which of the four scans read the bytes without error, one bit each.
int ReadableBy(const QByteArray& bytes)
{
    const lathwork::OptImage image(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    const std::function<void()> scans[] = {[&] { lathwork::ScanIlluminationTextures(image); },
                                           [&] { lathwork::ScanTransparencyTextures(image); },
                                           [&] { lathwork::ScanTextureSets(image); },
                                           [&] { lathwork::ScanCloakingDistances(image); }};
    int readable = 0;
    for (int i = 0; i < 4; ++i) {
        try {
            scans[i]();
            readable |= 1 << i;
        } catch (const std::exception&) {
        }
    }
    return readable;
}

class Walk {
public:
    explicit Walk(unsigned seed) : random_(seed)
    {
        const QString sample = QStringLiteral(LATHWORK_SOURCE_DIR "/assets/samples/SAMPLE.OPT");
        QFile::copy(sample, d_.PathOf(QStringLiteral("SAMPLE.OPT")));
        QDir(d_.Folder()).mkdir(QStringLiteral("inner"));
        for (const auto& [name, bytes] : Models()) {
            d_.WriteBytes(name, bytes);
        }
        d_.Open();
        Remember();
    }

    int rewrites = 0; // files BEGIN changed
    int steps = 0;    // changes Undo or Redo took back or made again
    int picks = 0;    // clicks on the preview that picked a colour, and that picked none
    int besides = 0;
    int Messages() const { return static_cast<int>(d_.messages.size()); }

    // One action; returns a failed invariant, or an empty text.
    QString Step()
    {
        const int messages = static_cast<int>(d_.messages.size());
        const QString chosen = d_.Find<lathwork::app::FileList>("optfile")->FilePath();
        Act();
        // The walk stays in its own folder: a folder change elsewhere is undone at once.
        auto* folders = d_.Find<lathwork::app::FolderList>("optdirectory");
        if (!(folders->Path() + QLatin1Char('/')).startsWith(QDir::cleanPath(d_.Folder()) + QLatin1Char('/'))) {
            folders->SetPath(d_.Folder());
        }
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents(); // the folder watch and delayed layouts
        }
        if (d_.messages.size() > messages + 2) {
            return QStringLiteral("more than two messages for one action");
        }
        bool warned = false;
        bool refused = false;
        for (int i = messages; i < d_.messages.size(); ++i) {
            warned = warned || d_.messages[i].kind == lathwork::app::MessageKind::Warning;
            refused = refused || d_.messages[i].kind == lathwork::app::MessageKind::Error;
        }
        if (!mismatch_.isEmpty()) {
            return std::exchange(mismatch_, QString());
        }
        return Check(warned ? chosen : QString(), refused);
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    template <typename T>
    const T& PickOf(const std::vector<T>& items) { return items[static_cast<std::size_t>(Pick(static_cast<int>(items.size())))]; }
    void Log(const QString& what) { gActions.push_back(what.toStdString()); }
    QWidget& Window() { return d_.Window(); }

    static std::vector<std::pair<QString, Bytes>> Models()
    {
        ModelShape cloaked = SimpleModel({models::Painted("TEX00001", 8, 8, {models::Entry(80, 40, 160), models::Entry(8, 4, 8)},
                                                          Bytes(64, 1))});
        std::get<GroupShape>(cloaked.tops[0].children[0]).branch.distances = {3.413533e-05f, 0.5f};
        Bytes broken = Build(models::Mixed()).bytes;
        broken.resize(broken.size() / 2);
        return {{QStringLiteral("MIXED.OPT"), Build(models::Mixed()).bytes},
                {QStringLiteral("CLOAK.opt"), Build(cloaked).bytes},
                {QStringLiteral("BROKEN.OPT"), broken},
                {QStringLiteral("inner/OTHER.OPT"), Build(models::Mixed()).bytes}};
    }

    // The OPT files on disk as the walk last saw them.
    void Remember()
    {
        known_.clear();
        for (const QString& folder : {d_.Folder(), d_.PathOf(QStringLiteral("inner"))}) {
            for (const QString& name : QDir(folder).entryList(QDir::Files)) {
                if (name.endsWith(QStringLiteral(".opt"), Qt::CaseInsensitive)) {
                    QFile file(QDir(folder).filePath(name));
                    file.open(QIODevice::ReadOnly);
                    known_[file.fileName()] = file.readAll();
                    bases_.insert(QFileInfo(name).completeBaseName());
                }
            }
        }
    }

    QList<QWidget*> Targets()
    {
        QList<QWidget*> targets;
        for (QWidget* widget : Window().findChildren<QWidget*>()) {
            const bool kind = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QListWidget*>(widget) ||
                              qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSlider*>(widget) ||
                              widget->objectName() == QLatin1String("bmpdisplay") ||
                              widget->objectName().endsWith(QLatin1String("shippic"));
            if (kind && widget->isVisible() && !widget->objectName().isEmpty()) {
                targets << widget;
            }
        }
        return targets;
    }

    static QWidget* MouseTarget(QWidget* widget)
    {
        auto* list = qobject_cast<QListWidget*>(widget);
        return list != nullptr ? list->viewport() : widget;
    }

    QPoint PointIn(QWidget* widget)
    {
        if (auto* list = qobject_cast<QListWidget*>(widget); list != nullptr && list->count() > 0 && Pick(4) > 0) {
            return list->visualItemRect(list->item(Pick(list->count()))).center();
        }
        const QWidget* target = MouseTarget(widget);
        return {Pick(std::max(1, target->width())), Pick(std::max(1, target->height()))};
    }

    Qt::KeyboardModifiers Modifiers()
    {
        const int roll = Pick(10);
        return roll == 0 ? Qt::ControlModifier : roll == 1 ? Qt::ShiftModifier : Qt::NoModifier;
    }

    // Runs a random action.
    void Act()
    {
        const QList<QWidget*> targets = Targets();
        QWidget* widget = targets.at(Pick(static_cast<int>(targets.size())));
        const QString name = widget->objectName();
        switch (Pick(18)) {
        case 0: case 1: case 2: case 3: { // a click, maybe with Ctrl or Shift
            const Qt::KeyboardModifiers modifiers = Modifiers();
            const QPoint at = PointIn(widget);
            Log(QStringLiteral("click %1 at %2,%3 mod %4").arg(name).arg(at.x()).arg(at.y()).arg(int(modifiers)));
            if (name == QLatin1String("optdirectory") && Pick(2) == 0) {
                QTest::mouseDClick(MouseTarget(widget), Qt::LeftButton, modifiers, at);
            } else {
                QTest::mouseClick(MouseTarget(widget), Qt::LeftButton, modifiers, at);
            }
            return;
        }
        case 4: { // a drag
            QWidget* target = MouseTarget(widget);
            QPoint at = PointIn(widget);
            Log(QStringLiteral("drag %1 from %2,%3").arg(name).arg(at.x()).arg(at.y()));
            QTest::mousePress(target, Qt::LeftButton, {}, at);
            for (int moves = Pick(4) + 1; moves > 0; --moves) {
                at = PointIn(widget) + QPoint(Pick(41) - 20, Pick(41) - 20);
                gActions.back() += QStringLiteral(" to %1,%2").arg(at.x()).arg(at.y()).toStdString();
                QTest::mouseMove(target, at);
            }
            QTest::mouseRelease(target, Qt::LeftButton, {}, at);
            return;
        }
        case 5: case 6: { // a key on whatever has the focus
            static const std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
                {Qt::Key_Space, {}}, {Qt::Key_Up, {}}, {Qt::Key_Down, {}}, {Qt::Key_Down, Qt::ShiftModifier},
                {Qt::Key_Home, {}}, {Qt::Key_End, {}}, {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_Return, {}},
                {Qt::Key_Tab, {}}, {Qt::Key_Backtab, Qt::ShiftModifier}, {Qt::Key_0, {}}, {Qt::Key_5, {}},
                {Qt::Key_Period, {}}, {Qt::Key_N, {}}, {Qt::Key_Backspace, {}}, {Qt::Key_Space, Qt::ControlModifier}};
            const auto& [key, modifiers] = PickOf(keys);
            QWidget* focus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &Window();
            Log(QStringLiteral("key %1 mod %2 on %3").arg(int(key)).arg(int(modifiers)).arg(focus->objectName()));
            QTest::keyClick(focus, key, modifiers);
            return;
        }
        case 7: { // text typed into a box
            static const std::vector<QString> texts = {"0", ".", ".5", "0.5", "2", "never", "ALWAYS", "300", "abc", "-5", "", "40"};
            const QList<QLineEdit*> boxes = Window().findChildren<QLineEdit*>();
            QLineEdit* box = boxes.at(Pick(static_cast<int>(boxes.size())));
            if (!box->isVisible() || !box->isEnabled() || box->objectName().isEmpty()) {
                Log(QStringLiteral("nothing"));
                return;
            }
            const QString text = PickOf(texts);
            Log(QStringLiteral("type \"%1\" into %2").arg(text, box->objectName()));
            d_.Type(box->objectName().toLatin1().constData(), text);
            return;
        }
        case 8: { // a shortcut or a toolbar button
            const int which = Pick(6);
            Log(QStringLiteral("shortcut %1").arg(which));
            if (which == 5) {
                d_.ClickToolbar(Pick(4));
            } else {
                QTest::keyClick(&Window(), which == 4 ? Qt::Key_E : static_cast<Qt::Key>(Qt::Key_1 + which), Qt::ControlModifier);
            }
            return;
        }
        case 9: { // a user trims the picked colours
            for (const char* mode : {"illum", "trans"}) {
                const QByteArray red = QByteArray(mode) + "redtintbox";
                if (d_.Find<ListBox>(red.constData())->count() > 12 && d_.Find<QWidget>(red.constData())->isVisible()) {
                    Log(QStringLiteral("remove a colour in %1").arg(QLatin1String(mode)));
                    d_.ClickRow(red.constData(), 0);
                    d_.Click((QByteArray(mode) + "removecolor").constData());
                    return;
                }
            }
            Log(QStringLiteral("nothing"));
            return;
        }
        case 10: ChangeFiles(); return;
        case 17: ClickPreview(); return;
        case 16: { // Undo, Redo, or another zoom
            const int which = Pick(4);
            if (which == 3) {
                const int zoom = Pick(4);
                Log(QStringLiteral("zoom %1").arg(zoom));
                d_.Find<QComboBox>("previewzoom")->setCurrentIndex(zoom);
                return;
            }
            const bool undo = which < 2;
            auto* files = d_.Find<lathwork::app::FileList>("optfile");
            const QString file = files->FileName().isEmpty() ? QString() : files->FilePath();
            Log(QStringLiteral("%1 on %2").arg(undo ? "undo" : "redo", file));
            const FileHistory& h = history_[file];
            const bool possible = !file.isEmpty() && !(undo ? h.undo : h.redo).empty();
            if (d_.Enabled(undo ? "undomenu" : "redomenu") != possible) {
                mismatch_ = QStringLiteral("%1 is %2abled against the changes BEGIN made")
                                .arg(undo ? "Undo" : "Redo", possible ? "dis" : "en");
            }
            stepped_ = {file, undo};
            d_.Trigger(undo ? "undomenu" : "redomenu");
            return;
        }
        case 11: case 12: case 13: case 14: { // the workflow: a file, a row of the list in front, SCAN or BEGIN
            static const std::vector<const char*> lists = {"optfile", "illumtexturelist", "transtexturelist",
                                                           "animtexturesetlist", "animtexturelist"};
            static const std::vector<const char*> buttons = {"illumbutbegin", "transbutbegin", "animbutbegin",
                                                             "cloakbutbegin"};
            const char* list = PickOf(lists);
            auto* control = d_.Find<ListBox>(list);
            if (Pick(3) == 0 && control->isVisible() && control->count() > 0) {
                const int row = Pick(control->count());
                const Qt::KeyboardModifiers modifiers = Modifiers();
                Log(QStringLiteral("row %1 of %2 mod %3").arg(row).arg(QLatin1String(list)).arg(int(modifiers)));
                d_.ClickRow(list, row, modifiers);
                return;
            }
            for (const char* button : buttons) {
                if (d_.Find<QWidget>(button)->isVisible()) {
                    Log(QStringLiteral("press %1").arg(QLatin1String(button)));
                    d_.Click(button);
                }
            }
            return;
        }
        default: { // back to the walk's folder, as a user double-clicking it would
            const bool inner = Pick(4) == 0;
            Log(QStringLiteral("folder %1").arg(inner ? "inner" : "root"));
            d_.Find<lathwork::app::FolderList>("optdirectory")->SetPath(inner ? d_.PathOf("inner") : d_.Folder());
            return;
        }
        }
    }

    // A click on the preview, after a turn of the wheel under the resting pointer half the
    // time. In Illumination and Transparency it picks exactly the texture colour drawn under
    // the pointer, and nothing beside the picture or on a scroll bar.
    void ClickPreview()
    {
        auto* pane = d_.Find<QWidget>("bmpdisplay");
        const QString mode = d_.Find<QGroupBox>("introframe")->title();
        const QByteArray prefix = mode == QLatin1String("Illumination")   ? "illum"
                                  : mode == QLatin1String("Transparency") ? "trans"
                                                                          : "";
        const auto list = [&](const char* role) { return d_.Find<ListBox>((prefix + role).constData()); };
        QPoint at(Pick(pane->width()), Pick(pane->height()));
        QImage before = pane->grab().toImage();
        // Half the time a point where the pane draws a picture, with a texture of the list
        // shown first (scanned first) where none is.
        if (Pick(2) == 0) {
            const QByteArray scan = prefix + "butbegin";
            if (!prefix.isEmpty() && list("texturelist")->count() == 0 && d_.Caption(scan.constData()) == "SCAN" &&
                d_.Enabled(scan.constData())) {
                Log(QStringLiteral("press %1").arg(QLatin1String(scan)));
                d_.Click(scan.constData());
            }
            if (!prefix.isEmpty() && list("texturelist")->count() > 0 && before.pixelColor(at) == kPaneBackground) {
                const int row = Pick(list("texturelist")->count());
                Log(QStringLiteral("row %1 of %2texturelist").arg(row).arg(QLatin1String(prefix)));
                d_.ClickRow((prefix + "texturelist").constData(), row);
                before = pane->grab().toImage();
            }
            QRect drawn;
            for (int y = 0; y < before.height(); ++y) {
                for (int x = 0; x < before.width(); ++x) {
                    drawn |= before.pixelColor(x, y) != kPaneBackground ? QRect(x, y, 1, 1) : QRect();
                }
            }
            if (!drawn.isEmpty()) {
                at = drawn.topLeft() + QPoint(Pick(drawn.width()), Pick(drawn.height()));
            }
        }
        if (at.isNull()) {
            at = QPoint(1, 0); // QTest takes the point (0, 0) for the widget's centre
        }
        const int turn = Pick(3) == 0 ? 0 : Pick(2) == 0 ? 120 : -120;
        Log(QStringLiteral("wheel %1 then click bmpdisplay at %2,%3").arg(turn).arg(at.x()).arg(at.y()));
        QTest::mouseMove(pane, at);
        if (turn != 0) {
            QWheelEvent wheel(at, pane->mapToGlobal(at), {}, QPoint(0, turn), Qt::NoButton, {}, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(pane, &wheel);
        }
        pane->clearFocus(); // the keyboard cursor's frame is not drawn over the pixel
        const QColor drawn = pane->grab().toImage().pixelColor(at);
        QWidget* target = pane->childAt(at) != nullptr ? pane->childAt(at) : pane;
        const int rows = prefix.isEmpty() ? 0 : list("redtintbox")->count();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(pane, at));
        if (prefix.isEmpty()) {
            return;
        }
        const bool beside = drawn == kPaneBackground || target != pane;
        const int added = list("redtintbox")->count() - rows;
        ++(beside ? besides : picks);
        if (added != (beside ? 0 : 1)) {
            mismatch_ =
                QStringLiteral("a click %1 the picture picked %2 colours").arg(beside ? "beside" : "on").arg(added);
            return;
        }
        // Where the pane draws the texture's own colours, unmarked, the pick is that colour.
        const bool plain = d_.Find<QAbstractSlider>("lightingrowbar")->value() == 7 &&
                           !d_.Find<QAbstractButton>("previewresult")->isChecked() && drawn != QColor(255, 0, 255);
        const auto last = [&](const char* colour) {
            return list(colour)->item(list(colour)->count() - 1)->text().toInt();
        };
        if (added == 1 && plain && QColor(last("redtintbox"), last("greentintbox"), last("bluetintbox")) != drawn) {
            mismatch_ = QStringLiteral("a click picked another colour than the one drawn under the pointer");
        }
    }

    // Files copied in, replaced, damaged or removed behind the window's back.
    void ChangeFiles()
    {
        const auto models = Models();
        const auto& [name, bytes] = PickOf(models);
        const QString target = QStringLiteral("COPY%1.OPT").arg(Pick(3));
        switch (Pick(3)) {
        case 0:
            Log(QStringLiteral("copy %1 to %2").arg(name, target));
            d_.WriteBytes(target, bytes);
            break;
        case 1:
            Log(QStringLiteral("remove %1").arg(target));
            QFile::remove(d_.PathOf(target));
            break;
        default: {
            Log(QStringLiteral("damage %1").arg(target));
            if (QFile::exists(d_.PathOf(target))) {
                Bytes damaged = d_.ReadBytes(target);
                damaged.resize(damaged.size() / 3);
                d_.WriteBytes(target, damaged);
            }
        }
        }
        Remember();
        return;
    }

    // An Undo or Redo: the file holds what the step restores, or, when something else wrote it
    // since, stays as it was and the user is told.
    QString CheckStep(const std::map<QString, QByteArray>& before, bool refused)
    {
        const auto [path, undo] = *std::exchange(stepped_, std::nullopt);
        FileHistory& h = history_[path];
        auto& from = undo ? h.undo : h.redo;
        auto& to = undo ? h.redo : h.undo;
        if (path.isEmpty() || from.empty()) {
            return {};
        }
        const auto [was, wrote] = from.back();
        const auto old = before.find(path);
        const QByteArray disk = old == before.end() ? QByteArray() : old->second;
        const auto now = known_.find(path);
        const QByteArray holds = now == known_.end() ? QByteArray() : now->second;
        if (disk != (undo ? wrote : was)) {
            return holds == disk && refused ? QString()
                                            : QStringLiteral("%1 overwrote a file changed since").arg(undo ? "Undo" : "Redo");
        }
        if (holds != (undo ? was : wrote)) {
            return QStringLiteral("%1 did not restore the file").arg(undo ? "Undo" : "Redo");
        }
        to.push_back(from.back());
        from.pop_back();
        ++steps;
        return {};
    }

    QString Check(const QString& rewritable, bool refused)
    {
        if (QApplication::overrideCursor() != nullptr) {
            return QStringLiteral("the busy pointer stayed on");
        }
        for (const char* mode : {"illum", "trans"}) {
            const auto list = [&](const char* colour) { return d_.Find<ListBox>((QByteArray(mode) + colour).constData()); };
            for (const char* colour : {"greentintbox", "bluetintbox"}) {
                if (list(colour)->count() != list("redtintbox")->count() ||
                    list(colour)->SelectedRow() != list("redtintbox")->SelectedRow()) {
                    return QStringLiteral("the %1 tint lists disagree").arg(QLatin1String(mode));
                }
            }
        }
        const bool cloaking = d_.Find<QGroupBox>("introframe")->title() == QLatin1String("Cloaking");
        for (const char* scale : {"highshippic", "lowshippic", "zoomadjuster"}) {
            if (d_.Find<QWidget>(scale)->isVisible() && !cloaking) {
                return QStringLiteral("%1 shows outside Cloaking").arg(QLatin1String(scale));
            }
        }
        for (const char* view : {"lightingrowbar", "previewresult", "previewzoom"}) {
            if (d_.Enabled(view) && cloaking) {
                return QStringLiteral("%1 is enabled in Cloaking").arg(QLatin1String(view));
            }
        }
        const bool file = !d_.Find<lathwork::app::FileList>("optfile")->FileName().isEmpty();
        for (const char* control : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin", "extracttexmenu",
                                    "undomenu", "redomenu"}) {
            if (d_.Enabled(control) && !file) {
                return QStringLiteral("%1 is enabled without a file").arg(QLatin1String(control));
            }
        }
        const auto before = known_;
        Remember();
        const QString stepped = stepped_ ? stepped_->first : QString();
        if (stepped_) {
            if (const QString failed = CheckStep(before, refused); !failed.isEmpty()) {
                return failed;
            }
        }
        for (const auto& [path, bytes] : known_) {
            const auto was = before.find(path);
            if (was == before.end() || was->second == bytes || path == stepped) {
                continue;
            }
            // Only a rewrite of the chosen file (it warns first) changes it, and every scan that read
            // it still does.
            const int readBefore = ReadableBy(was->second);
            if (path != rewritable || (ReadableBy(bytes) & readBefore) != readBefore) {
                return QStringLiteral("%1 changed outside a rewrite or no longer scans").arg(path);
            }
            ++rewrites;
            // Undo takes it back: the last 20 changes of each file are kept.
            FileHistory& h = history_[path];
            h.undo.emplace_back(was->second, bytes);
            h.redo.clear();
            if (h.undo.size() > 20) {
                h.undo.pop_front();
            }
        }
        for (const QString& folder : {d_.Folder(), d_.PathOf(QStringLiteral("inner"))}) {
            for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
                const bool opt = name.endsWith(QStringLiteral(".opt"), Qt::CaseInsensitive);
                // Extract Textures writes OPTNAME_TEXTURE.BMP beside an OPT, which may have gone since.
                bool extracted = false;
                for (const QString& base : bases_) {
                    extracted = extracted || (name.startsWith(base + QLatin1Char('_')) && name.endsWith(QLatin1String(".BMP")));
                }
                if (!opt && !extracted) {
                    return QStringLiteral("stray file %1").arg(name);
                }
            }
        }
        return {};
    }

    // The changes the walk saw BEGIN make to each file: what Undo and Redo may take back.
    struct FileHistory {
        std::deque<std::pair<QByteArray, QByteArray>> undo; // (before, after), oldest first
        std::deque<std::pair<QByteArray, QByteArray>> redo;
    };
    std::map<QString, FileHistory> history_;
    std::optional<std::pair<QString, bool>> stepped_; // the file of this action's Undo (true) or Redo
    QString mismatch_;

    WindowDriver d_;
    std::mt19937 random_;
    std::map<QString, QByteArray> known_;
    std::set<QString> bases_; // the names of every OPT seen, without extension
};

} // namespace

class WindowExerciserTest : public QObject {
    Q_OBJECT
private slots:
    void walk_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<int>("actions");
        const QByteArray seed = qgetenv("LATHWORK_EXERCISER_SEED");
        const QByteArray actions = qgetenv("LATHWORK_EXERCISER_ACTIONS");
        if (!seed.isEmpty() || !actions.isEmpty()) {
            const unsigned chosen = seed.isEmpty() ? static_cast<unsigned>(std::random_device{}()) : seed.toUInt();
            QTest::newRow("chosen") << chosen << (actions.isEmpty() ? 100000 : actions.toInt());
            return;
        }
        for (unsigned s : {1u, 2u, 3u}) {
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(s))) << s << 2000;
        }
    }

    void walk()
    {
        QFETCH(unsigned, seed);
        QFETCH(int, actions);
        gSeed = seed;
        gActions.clear();
        for (int signal : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS}) {
            std::signal(signal, OnCrash);
        }
        QElapsedTimer clock;
        clock.start();
        Walk walk(seed);
        for (int i = 0; i < actions; ++i) {
            const QString failed = walk.Step();
            if (!failed.isEmpty()) {
                Report();
                QFAIL(qPrintable(failed));
            }
        }
        qInfo("seed %u: %d actions in %.1f s; %d rewrites, %d undone or redone, %d messages, %d picks, %d clicks "
              "beside the picture",
              seed, actions, static_cast<double>(clock.elapsed()) / 1000.0, walk.rewrites, walk.steps, walk.Messages(),
              walk.picks, walk.besides);
    }
};

QTEST_MAIN(WindowExerciserTest)
#include "WindowExerciserTest.moc"
