// The window driven by keyboard, Ctrl- and Shift-clicks, drags, focus changes and a folder that
// changes under it: every list rule runs once per action, nothing is armed without a file.
#include "app/ListBox.hpp"
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>

using namespace lathwork::testkit;
using lathwork::app::ListBox;

namespace {

const char* const kTints[] = {"illumredtintbox", "illumgreentintbox", "illumbluetintbox"};

// The selected row of each tint list; all three must agree.
int TintRow(WindowDriver& d)
{
    const int row = d.Find<ListBox>(kTints[0])->SelectedRow();
    for (const char* list : kTints) {
        if (d.Find<ListBox>(list)->SelectedRow() != row || d.Find<ListBox>(list)->count() != d.Rows(kTints[0]).size()) {
            return -2;
        }
    }
    return row;
}

BuiltModel Distances(WindowDriver& d, std::vector<float> distances)
{
    ModelShape tree = SimpleModel({MakeTexture("TEX00001")});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = std::move(distances);
    return d.WriteOpt("SHIP.OPT", tree);
}

float StoredHigh(WindowDriver& d, const BuiltModel& built)
{
    const auto table = static_cast<std::size_t>(
        GetLong(built.bytes, static_cast<std::size_t>(built.branches[0] + 20)) - built.globalOffset);
    return GetSingle(d.ReadBytes("SHIP.OPT"), table);
}

} // namespace

class UserInputTest : public QObject {
    Q_OBJECT
private slots:
    void eachUserActionOnAListIsReportedOnce()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        auto* list = d.Find<ListBox>("transtexturelist");
        QSignalSpy reports(list, &ListBox::actionDone);
        const std::vector<std::pair<const char*, std::function<void()>>> actions = {
            {"click", [&] { d.ClickRow("transtexturelist", 1); }},
            {"ctrl-click", [&] { d.ClickRow("transtexturelist", 1, Qt::ControlModifier); }},
            {"shift-click", [&] { d.ClickRow("transtexturelist", 3, Qt::ShiftModifier); }},
            {"drag", [&] { d.DragRows("transtexturelist", 0, 4); }},
            {"space", [&] { d.Key("transtexturelist", Qt::Key_Space); }},
            {"up", [&] { d.Key("transtexturelist", Qt::Key_Up); }},
            {"ctrl+a", [&] { d.Key("transtexturelist", Qt::Key_A, Qt::ControlModifier); }},
            {"deselect all", [&] { d.Click("transdeselalltextures"); }},
            {"select all", [&] { d.Click("transselalltextures"); }},
        };
        for (const auto& [what, action] : actions) {
            reports.clear();
            action();
            QVERIFY2(reports.count() == 1, what);
            // BEGIN follows the selection, the preview the current entry.
            QCOMPARE(d.Enabled("transbutbegin"), !d.SelectedRows("transtexturelist").isEmpty());
            QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), list->currentItem()->text());
        }
        reports.clear();
        d.Click("transselalltextures"); // nothing changes, yet the button's rule runs once
        QCOMPARE(reports.count(), 1);
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        QCOMPARE(reports.count(), 1); // the window's own fills are no user action
    }

    void keyboardSelectionRunsTheSetListRule()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.Key("animtexturesetlist", Qt::Key_Space);
        QVERIFY(d.Enabled("animbutbegin"));
        QCOMPARE(d.Rows("animtexturelist"), (QStringList{"TEX00010", "TEX00011"}));
        d.Key("animtexturesetlist", Qt::Key_Space);
        QVERIFY(!d.Enabled("animbutbegin"));
        d.Key("animtexturelist", Qt::Key_Down);
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00011"));
    }

    void shiftArrowsExtendTheSelectionAndPlainArrowsOnlyMove()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        d.ClickRow("transtexturelist", 0);
        d.Key("transtexturelist", Qt::Key_Down, Qt::ShiftModifier);
        d.Key("transtexturelist", Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(d.SelectedRows("transtexturelist"), (QStringList{"TEX00001", "TEX00010", "TEX00011"}));
        QVERIFY(d.Enabled("transbutbegin"));
        d.Key("transtexturelist", Qt::Key_Down);
        QCOMPARE(d.SelectedRows("transtexturelist").size(), 3);
    }

    void tintListsAlwaysShareOneRowAndRemoveNeverCrashes()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", SimpleModel({models::Painted("TEX00001", 4, 1, {models::Entry(8, 4, 8), models::Entry(16, 8, 16),
                                                                              models::Entry(24, 12, 24)},
                                                           {0, 1, 2, 0})}));
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        d.Type("illumcolortolerancebox", QStringLiteral("0"));
        for (int x = 0; x < 3; ++x) {
            d.PickAt(x, 0);
        }
        d.ClickRow("illumredtintbox", 0);
        d.ClickRow("illumredtintbox", 0, Qt::ControlModifier); // deselects the row everywhere
        QCOMPARE(TintRow(d), -1);
        QVERIFY(!d.Enabled("illumremovecolor"));
        d.Key("illumredtintbox", Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(TintRow(d), 0);
        d.Key("illumredtintbox", Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(TintRow(d), -1);
        d.Key("illumgreentintbox", Qt::Key_Down);
        QCOMPARE(TintRow(d), d.Find<ListBox>("illumgreentintbox")->SelectedRow());
        d.DragRows("illumbluetintbox", 0, 2);
        QCOMPARE(TintRow(d), 2);
        const QStringList third{d.Rows(kTints[0])[2], d.Rows(kTints[1])[2], d.Rows(kTints[2])[2]};
        QCOMPARE(d.Find<QLineEdit>("illumtinttext")->text(), third.join(QStringLiteral(", ")));
        const QStringList greens = d.Rows(kTints[1]);
        d.Click("illumremovecolor");
        QCOMPARE(d.Rows(kTints[1]), greens.mid(0, 2));
        QCOMPARE(TintRow(d), -1);
        d.Click("illumremovecolor"); // disabled: nothing happens
        QCOMPARE(d.Rows("illumbluetintbox").size(), 2);
    }

    void tintListsScrollAsOneAndShowThreeDigits()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", SimpleModel({MakeTexture("TEX00001")}));
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        d.ClickRow("transtexturelist", 0);
        for (int i = 0; i < 30; ++i) {
            d.PickAt(i % 4, i / 4 % 4);
        }
        auto* blue = d.Find<ListBox>("transbluetintbox");
        QTRY_VERIFY(blue->verticalScrollBar()->maximum() > 0);
        d.Key("transredtintbox", Qt::Key_End);
        for (const char* name : {"transredtintbox", "transgreentintbox", "transbluetintbox"}) {
            auto* list = d.Find<ListBox>(name);
            QCOMPARE(list->verticalScrollBar()->value(), blue->verticalScrollBar()->maximum());
            QCOMPARE(list->verticalScrollBar()->isVisible(), list == blue);
            QVERIFY(list->viewport()->width() >= list->fontMetrics().horizontalAdvance(QStringLiteral("255")));
            QCOMPARE(list->SelectedRow(), 29);
        }
    }

    void selectAllUnderScanLeavesTheButtonArmed()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.ClickFile("SHIP.OPT"); // SCAN again; the set list of the last scan stays
        d.Trigger("illuminationmenu");
        for (const char* button : {"illumselalltextures", "illumdeselalltextures"}) {
            d.Click(button);
            QVERIFY(d.Enabled("illumbutbegin"));
        }
        d.Trigger("animationmenu");
        d.Click("animselalltextures");
        d.Click("animdeselalltextures");
        d.ClickRow("animtexturesetlist", 0, Qt::ControlModifier);
        d.ClickRow("animtexturesetlist", 0);
        QVERIFY(d.Enabled("animbutbegin"));
        QCOMPARE(d.Caption("animbutbegin"), QStringLiteral("SCAN"));
    }

    void fileMustBeSelectedToArmAndKeyboardChoiceArms()
    {
        WindowDriver d;
        d.WriteOpt("A.OPT", models::Mixed());
        d.WriteOpt("B.OPT", models::Mixed());
        d.Open();
        d.Find<QWidget>("optfile")->setFocus(Qt::TabFocusReason); // a current row, no file chosen
        QVERIFY(!d.Enabled("illumbutbegin"));
        d.ScanIn("A.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("optfile", 0, Qt::ControlModifier); // deselects the chosen file
        QVERIFY(d.SelectedRows("optfile").isEmpty());
        for (const char* control : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin", "extracttexmenu"}) {
            QVERIFY2(!d.Enabled(control), control);
        }
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("SCAN"));
        d.Key("optfile", Qt::Key_End);
        QCOMPARE(d.SelectedRows("optfile"), QStringList{"B.OPT"});
        QVERIFY(d.Enabled("illumbutbegin"));
        QVERIFY(d.Enabled("extracttexmenu"));
        d.Click("illumbutbegin");
        d.Key("optfile", Qt::Key_End); // the same file again: nothing changes
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        d.Key("optfile", Qt::Key_Up); // another file: the full reset, armed
        QCOMPARE(d.SelectedRows("optfile"), QStringList{"A.OPT"});
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("SCAN"));
        QVERIFY(d.Enabled("illumbutbegin"));
        QVERIFY(d.messages.isEmpty());
    }

    void aClickOnAShipIsNoDrag()
    {
        WindowDriver d;
        Distances(d, {0.0f, 0.0f});
        d.Open();
        d.ScanIn("SHIP.OPT", "cloakingmenu", "cloakbutbegin");
        auto* ship = d.Find<QLabel>("highshippic");
        QTest::mouseClick(ship, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(d.Find<QLineEdit>("cloakhighvisdistance")->text(), QStringLiteral("NEVER"));
        QCOMPARE(ship->x(), 232);
        QTest::mousePress(ship, Qt::LeftButton, {}, QPoint(8, 8));
        auto* pane = d.Find<QWidget>("bmpdisplay");
        QTest::mouseMove(pane, QPoint(58, 110)); // 0.5 km
        QTest::mouseRelease(pane, Qt::LeftButton, {}, QPoint(58, 110));
        QCOMPARE(d.Find<QLineEdit>("cloakhighvisdistance")->text(), QStringLiteral("0.5"));
    }

    void distanceBoxesApplyTheirRuleWhenAnEditIsCommitted()
    {
        WindowDriver d;
        const BuiltModel built = Distances(d, {0.0f, 0.0f});
        d.Open();
        d.ScanIn("SHIP.OPT", "cloakingmenu", "cloakbutbegin");
        auto* high = d.Find<QLineEdit>("cloakhighvisdistance");
        auto* ship = d.Find<QLabel>("highshippic");
        d.Type("cloakhighvisdistance", QStringLiteral(".5"));
        QCOMPARE(high->text(), QStringLiteral(".5"));
        QCOMPARE(ship->x(), 232); // still typing
        QTest::keyClick(high, Qt::Key_Return);
        QCOMPARE(high->text(), QStringLiteral(".5"));
        QCOMPARE(ship->x(), 58);
        d.Type("cloakhighvisdistance", QStringLiteral("0.5"));
        QCOMPARE(high->text(), QStringLiteral("0.5"));
        d.Key("cloaklowvisdistance", Qt::Key_End); // focus leaves the box: committed
        QCOMPARE(ship->toolTip(), QStringLiteral("0.5km"));
        d.Type("cloakhighvisdistance", QStringLiteral("."));
        QTest::keyClick(high, Qt::Key_Return);
        QCOMPARE(high->text(), QStringLiteral("0.01"));
        d.Type("cloakhighvisdistance", QStringLiteral("0"));
        d.Click("cloakbutbegin"); // BEGIN commits the edit first
        QCOMPARE(high->text(), QStringLiteral("ALWAYS"));
        QCOMPARE(StoredHigh(d, built), 1.0f);
        QCOMPARE(ship->x(), 0);
    }

    void shortcutsMnemonicsAndFocusStayWithTheFrameInFront()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ClickFile("SHIP.OPT");
        const std::pair<Qt::Key, const char*> modes[] = {
            {Qt::Key_1, "transparencyframe"}, {Qt::Key_2, "animationframe"}, {Qt::Key_3, "cloakingframe"}, {Qt::Key_4, "illuminationframe"}};
        d.Find<QWidget>("transbutbegin")->setFocus();
        for (const auto& [key, frame] : modes) {
            QTest::keyClick(&d.Window(), key, Qt::ControlModifier);
            QVERIFY2(d.Find<QWidget>(frame)->isVisible(), frame);
        }
        QTest::keyClick(&d.Window(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(d.Status(), QStringLiteral("Extractions complete.  Find textures in FLIGHTMODELS folder."));
        for (const char* menu : {"modifymenu", "extrasmenu"}) {
            QSet<QKeySequence> keys;
            for (QAction* item : d.Find<QMenu>(menu)->actions()) {
                keys.insert(QKeySequence::mnemonic(item->text()));
            }
            QCOMPARE(keys.size(), d.Find<QMenu>(menu)->actions().size());
            QVERIFY(!QKeySequence::mnemonic(d.Find<QMenu>(menu)->title()).isEmpty());
        }

        // Illumination is in front: Tab reaches only its controls, in their visual order, and
        // a Space can never reach the hidden Transparency SCAN.
        d.Find<QWidget>("optfile")->setFocus(Qt::TabFocusReason);
        QWidget* next = d.Window().focusWidget()->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !next->isVisible()) {
            next = next->nextInFocusChain();
        }
        QCOMPARE(next->objectName(), QStringLiteral("illumtexturelist"));
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus->isVisible(), qPrintable(focus->objectName()));
            QVERIFY(!d.Find<QWidget>("transparencyframe")->isAncestorOf(focus));
            if (focus->objectName() == QLatin1String("transbutbegin")) {
                QFAIL("a hidden button took the focus");
            }
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(d.Caption("transbutbegin"), QStringLiteral("SCAN"));
    }

    void aFolderThatChangesIsShownAndTheChosenFileFollowed()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        d.WriteOpt("ANOTHER.OPT", models::Mixed());
        QTRY_COMPARE(d.Rows("optfile"), (QStringList{"ANOTHER.OPT", "SHIP.OPT"}));
        QCOMPARE(d.SelectedRows("optfile"), QStringList{"SHIP.OPT"});
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        QVERIFY(d.Enabled("illumbutbegin"));
        QFile::remove(d.PathOf("SHIP.OPT"));
        QTRY_COMPARE(d.Rows("optfile"), QStringList{"ANOTHER.OPT"});
        for (const char* control : {"illumbutbegin", "transbutbegin", "extracttexmenu"}) {
            QVERIFY2(!d.Enabled(control), control);
        }
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("SCAN"));
        QVERIFY(d.Rows("illumtexturelist").isEmpty());
    }

    void everyCaptionHasTheRoomItsTextNeeds()
    {
        WindowDriver d;
        d.Open();
        QCOMPARE(d.Window().centralWidget()->size(), QSize(727, 488));
        for (const char* menu : {"transparencymenu", "animationmenu", "cloakingmenu", "illuminationmenu"}) {
            d.Trigger(menu);
            QCOMPARE(d.Find<QWidget>("bmpdisplay")->size(), QSize(256, 256));
            const QRect client = d.Window().centralWidget()->rect();
            for (QWidget* widget : d.Window().centralWidget()->findChildren<QWidget*>()) {
                const bool captioned = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                                       qobject_cast<QGroupBox*>(widget);
                if (!captioned || !widget->isVisible() || widget->objectName().isEmpty()) {
                    continue;
                }
                const QString what = widget->objectName();
                const auto* label = qobject_cast<QLabel*>(widget);
                if (label != nullptr && label->wordWrap()) {
                    QVERIFY2(widget->height() >= label->heightForWidth(widget->width()), qPrintable(what));
                } else {
                    QVERIFY2(widget->width() >= widget->minimumSizeHint().width(), qPrintable(what));
                    QVERIFY2(widget->height() >= widget->minimumSizeHint().height(), qPrintable(what));
                }
                const QRect inClient(widget->mapTo(d.Window().centralWidget(), QPoint()), widget->size());
                QVERIFY2(client.contains(inClient), qPrintable(what));
            }
        }
    }
};

QTEST_MAIN(UserInputTest)
#include "UserInputTest.moc"
