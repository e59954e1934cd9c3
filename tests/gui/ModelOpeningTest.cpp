// Opening a model from anywhere (command line, File > Open, Open Recent, a drop) gives the very
// state a click on it in the file list gives; a file that cannot be opened changes nothing.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include "app/OpenDialog.hpp"
#include "app/PreviewPane.hpp"
#include "app/RecentModels.hpp"
#include "app/StartArguments.hpp"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSettings>
#include <QUrl>

#include <unistd.h>

namespace {

// Everything a user can see of the window: every named control and action with its state.
QStringList Snapshot(LathworkWindow& w)
{
    QStringList seen{w.windowTitle()};
    const QList<QWidget*> controls = w.findChildren<QWidget*>();
    for (QWidget* c : controls) {
        if (c->objectName().isEmpty()) {
            continue;
        }
        QString line = QStringLiteral("%1 %2 %3").arg(c->objectName()).arg(c->isEnabled()).arg(c->isVisibleTo(&w));
        if (auto* button = qobject_cast<QAbstractButton*>(c)) {
            line += QStringLiteral(" %1 %2").arg(button->text()).arg(button->isChecked());
        } else if (auto* list = qobject_cast<QListWidget*>(c)) {
            for (int row = 0; row < list->count(); ++row) {
                line += QStringLiteral(" %1%2").arg(list->item(row)->text(), list->item(row)->isSelected() ? "*" : "");
            }
        } else if (auto* box = qobject_cast<QLineEdit*>(c)) {
            line += QLatin1Char(' ') + box->text();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(c)) {
            line += QLatin1Char(' ') + text->toPlainText();
        } else if (auto* frame = qobject_cast<QGroupBox*>(c)) {
            line += QLatin1Char(' ') + frame->title();
        } else if (auto* pane = qobject_cast<lathwork::app::PreviewPane*>(c)) {
            const QImage& picture = pane->Picture();
            line += QStringLiteral(" %1").arg(qHashBits(picture.constBits(), static_cast<size_t>(picture.sizeInBytes())));
        } else if (auto* label = qobject_cast<QLabel*>(c)) {
            line += QLatin1Char(' ') + label->text();
        }
        seen << line;
    }
    const QList<QAction*> actions = w.findChildren<QAction*>();
    for (QAction* a : actions) {
        if (!a->objectName().isEmpty()) {
            seen << QStringLiteral("%1 %2 %3").arg(a->objectName()).arg(a->isEnabled()).arg(a->isChecked());
        }
    }
    return seen;
}

enum class Way { Argument, OpenDialog, Recent, Drop };

// Drags path onto control and drops it; true when both were taken as a copy.
bool DropOn(QWidget* control, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(path);
    const QPoint at = control->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control, &drop);
    QCoreApplication::processEvents(); // the model opens once the drop is over
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

// Opens path the given way, as a user would. relative: path as typed in the start folder.
void OpenThe(Way way, WindowDriver& d, const QString& path, const QString& relative)
{
    switch (way) {
    case Way::Argument: {
        const auto start = lathwork::app::ParseStartArguments({relative});
        QCOMPARE(start.action, lathwork::app::StartArguments::Action::Run);
        d.Window().OpenModel(start.file);
        break;
    }
    case Way::OpenDialog:
        lathwork::app::SetOpenDialogHook([&](QWidget*, const QString& folder) {
            [&] { QCOMPARE(folder, d.Find<QObject>("optdirectory")->property("path").toString()); }();
            return path;
        });
        d.Trigger("openmenu");
        lathwork::app::SetOpenDialogHook({});
        break;
    case Way::Recent: {
        auto* menu = d.Find<QMenu>("filemenu");
        emit menu->aboutToShow();
        const QList<QAction*> entries = d.Find<QMenu>("openrecentmenu")->actions();
        QVERIFY(!entries.isEmpty());
        QVERIFY(entries.front()->text().endsWith(QDir::toNativeSeparators(path)));
        entries.front()->trigger();
        break;
    }
    case Way::Drop:
        // A text box would take the path as text: the window takes the drop over.
        QVERIFY(DropOn(d.Find<QWidget>("transcolortolerancebox"), path));
        break;
    }
}

// A window that has scanned A.OPT in Illumination and Animation, so that a reset shows.
void Prepare(WindowDriver& d)
{
    d.Open();
    d.ScanIn("A.OPT", "animationmenu", "animbutbegin");
    d.ScanIn("A.OPT", "illuminationmenu", "illumbutbegin");
    d.ClickRow("illumtexturelist", 0);
}

} // namespace

class ModelOpeningTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir settings_;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
    }

    void init() { QSettings(QStringLiteral("Lathwork"), QStringLiteral("Lathwork")).clear(); }

    void everyWayGivesTheStateOfAClick_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("relative");
        const std::pair<const char*, Way> ways[] = {{"argument", Way::Argument},
                                                    {"open dialog", Way::OpenDialog},
                                                    {"recent", Way::Recent},
                                                    {"drop", Way::Drop}};
        for (const auto& [name, way] : ways) {
            // The chosen file again (a click on it resets too), another in its folder, one elsewhere.
            QTest::addRow("%s, same file", name) << way << QStringLiteral("A.OPT");
            QTest::addRow("%s, same folder", name) << way << QStringLiteral("Ship.oPt");
            QTest::addRow("%s, other folder", name) << way << QStringLiteral("sub/Ship.oPt");
        }
    }

    void everyWayGivesTheStateOfAClick()
    {
        QFETCH(Way, way);
        QFETCH(QString, relative);
        WindowDriver d;
        d.WriteOpt("A.OPT", models::Mixed());
        QDir(d.Folder()).mkdir(QStringLiteral("sub"));
        d.WriteOpt(relative, models::Mixed());
        const QString path = d.PathOf(relative);
        const QString name = QFileInfo(path).fileName();

        Prepare(d);
        if (relative.contains(QLatin1Char('/'))) {
            d.OpenFolder(d.PathOf(QStringLiteral("sub")));
        }
        d.ClickFile(name);
        const QStringList clicked = Snapshot(d.Window());
        QVERIFY(clicked.front().endsWith(QStringLiteral(" — ") + name));

        lathwork::app::AddRecentModel(path);
        Prepare(d);
        OpenThe(way, d, path, relative);
        QCOMPARE(Snapshot(d.Window()), clicked);
        QVERIFY(d.messages.isEmpty());
        QCOMPARE(lathwork::app::RecentModels().value(0), path);
    }

    void aFileThatCannotBeOpenedGivesOneMessageAndChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("GONE.OPT");
        QTest::newRow("a folder") << QStringLiteral("FOLDER.OPT");
        QTest::newRow("not an opt") << QStringLiteral("NOTES.TXT");
        QTest::newRow("dangling link") << QStringLiteral("LINK.OPT");
        QTest::newRow("unreadable") << QStringLiteral("LOCKED.OPT");
    }

    void aFileThatCannotBeOpenedGivesOneMessageAndChangesNothing()
    {
        QFETCH(QString, name);
        WindowDriver d;
        d.WriteOpt("A.OPT", models::Mixed());
        d.WriteOpt("GONE.OPT", models::Mixed()); // kept in the recent list, then deleted
        d.WriteOpt("NOTES.TXT", models::Mixed());
        d.WriteOpt("LOCKED.OPT", models::Mixed());
        QDir(d.Folder()).mkdir(QStringLiteral("FOLDER.OPT"));
        QFile::link(d.PathOf(QStringLiteral("NOWHERE.OPT")), d.PathOf(QStringLiteral("LINK.OPT")));
        if (name == QLatin1String("LOCKED.OPT")) {
            QFile::setPermissions(d.PathOf(name), {});
            if (geteuid() == 0) {
                QSKIP("root reads every file");
            }
        }
        lathwork::app::AddRecentModel(d.PathOf(name));
        Prepare(d);
        emit d.Find<QMenu>("filemenu")->aboutToShow();
        QFile::remove(d.PathOf(QStringLiteral("GONE.OPT")));
        // The window watches its folder: let the file list catch up before taking the state.
        QTRY_VERIFY(d.Find<QListWidget>("optfile")->findItems(QStringLiteral("GONE.OPT"), Qt::MatchExactly).isEmpty());
        const QStringList before = Snapshot(d.Window());

        const Way ways[] = {Way::Argument, Way::OpenDialog, Way::Drop, Way::Recent};
        for (const Way way : ways) {
            const qsizetype messages = d.messages.size();
            if (way == Way::Recent) {
                // Only an entry that was listed before the file went away can still be chosen.
                const QList<QAction*> entries = d.Find<QMenu>("openrecentmenu")->actions();
                if (entries.isEmpty()) {
                    continue;
                }
                entries.front()->trigger();
            } else {
                OpenThe(way, d, d.PathOf(name), name);
            }
            QCOMPARE(d.messages.size(), messages + 1);
            QCOMPARE(d.messages.back().kind, lathwork::app::MessageKind::Error);
            QVERIFY(d.messages.back().text.contains(QDir::toNativeSeparators(d.PathOf(name))));
            QCOMPARE(Snapshot(d.Window()), before);
        }
        QVERIFY(!lathwork::app::RecentModels().contains(d.PathOf(QStringLiteral("GONE.OPT"))));
    }

    void cancellingTheDialogOrDroppingNoFileChangesNothing()
    {
        WindowDriver d;
        d.WriteOpt("A.OPT", models::Mixed());
        Prepare(d);
        const QStringList before = Snapshot(d.Window());
        lathwork::app::SetOpenDialogHook([](QWidget*, const QString&) { return QString(); });
        d.Trigger("openmenu");
        lathwork::app::SetOpenDialogHook({});
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/SHIP.OPT"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&d.Window(), &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(Snapshot(d.Window()), before);
        QVERIFY(d.messages.isEmpty());
    }

    void fileMenuComesFirstAndTheTitleFollowsTheChosenFile()
    {
        WindowDriver d;
        d.WriteOpt("A.OPT", models::Mixed());
        d.Open();
        QCOMPARE(d.Window().menuBar()->actions().value(0), d.Find<QMenu>("filemenu")->menuAction());
        QCOMPARE(d.Window().menuBar()->actions().value(1), d.Find<QMenu>("modifymenu")->menuAction());
        QCOMPARE(d.Find<QAction>("openmenu")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(d.Find<QAction>("quitmenu")->shortcut(), QKeySequence(QKeySequence::Quit));
        QVERIFY(!d.Find<QMenu>("openrecentmenu")->menuAction()->isEnabled());
        d.ClickFile(QStringLiteral("A.OPT"));
        QCOMPARE(d.Window().windowTitle(), QStringLiteral("Lathwork v1.8 — A.OPT"));
        d.Refresh(); // a folder change
        QCOMPARE(d.Window().windowTitle(), QStringLiteral("Lathwork v1.8"));
        d.Trigger("quitmenu");
        QVERIFY(!d.Window().isVisible());
    }

    void recentListKeepsTheLastEightDistinctModelsNewestFirst()
    {
        // Against a model: the distinct paths ordered by their last use, newest first.
        QRandomGenerator random(15);
        for (int round = 0; round < 50; ++round) {
            QStringList list;
            QStringList used;
            for (int step = 0; step < 30; ++step) {
                const QString path = QStringLiteral("/m/%1.OPT").arg(random.bounded(12));
                list = lathwork::app::WithRecent(list, path);
                used.removeAll(path);
                used.prepend(path);
                QCOMPARE(list, used.mid(0, lathwork::app::kRecentModels));
            }
        }
    }

    void startArguments()
    {
        using Action = lathwork::app::StartArguments::Action;
        const struct {
            QStringList words;
            Action action;
            QString file;
        } cases[] = {{{}, Action::Run, {}},
                     {{"SHIP.OPT"}, Action::Run, "SHIP.OPT"},
                     {{"-x", "a", "b", "--help"}, Action::Help, {}}, // help and version win over errors
                     {{"SHIP.OPT", "-v"}, Action::Version, {}},
                     {{"--", "-S.OPT"}, Action::Run, "-S.OPT"},
                     {{"A.OPT", "B.OPT"}, Action::Error, {}},
                     {{"--bogus"}, Action::Error, {}}};
        for (const auto& c : cases) {
            const auto parsed = lathwork::app::ParseStartArguments(c.words);
            QCOMPARE(parsed.action, c.action);
            QCOMPARE(parsed.file, c.file);
            QCOMPARE(parsed.error.isEmpty(), c.action != Action::Error);
        }
    }
};

QTEST_MAIN(ModelOpeningTest)
#include "ModelOpeningTest.moc"
