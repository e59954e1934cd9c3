// Undo and Redo of BEGIN in every mode, driven through the Edit menu.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QLineEdit>

using namespace lathwork::testkit;

namespace {

// A texture, an animatable set and a branch with two distances: every mode has work.
ModelShape Everything()
{
    SetShape set{1, {MakeTexture("TEX00010"), MakeTexture("TEX00011")}, {}};
    ModelShape tree = SimpleModel({MakeTexture("TEX00001"), set});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = {3.413533e-05f, 0.5f};
    return tree;
}

void Begin(WindowDriver& d, const char* menu, const char* button, const char* list)
{
    d.Trigger(menu);
    d.Click(button); // SCAN
    if (list != nullptr) {
        d.ClickRow(list, 0);
    }
    d.Click(button);
}

bool Can(WindowDriver& d, const char* action) { return d.Enabled(action); }

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void everyBeginIsTakenBackAndMadeAgainByteForByte()
    {
        WindowDriver d;
        std::vector<Bytes> states{d.WriteOpt("SHIP.OPT", Everything()).bytes};
        d.Open();
        QVERIFY(!Can(d, "undomenu") && !Can(d, "redomenu"));
        QCOMPARE(d.Find<QAction>("undomenu")->shortcut(), QKeySequence(QKeySequence::Undo));
        QCOMPARE(d.Find<QAction>("redomenu")->shortcut(), QKeySequence(QKeySequence::Redo));
        d.ClickFile("SHIP.OPT");
        QVERIFY(!Can(d, "undomenu"));
        Begin(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        states.push_back(d.ReadBytes("SHIP.OPT"));
        Begin(d, "transparencymenu", "transbutbegin", "transtexturelist");
        states.push_back(d.ReadBytes("SHIP.OPT"));
        Begin(d, "animationmenu", "animbutbegin", "animtexturesetlist");
        states.push_back(d.ReadBytes("SHIP.OPT"));
        d.Trigger("cloakingmenu");
        d.Click("cloakbutbegin");
        d.Type("cloakhighvisdistance", QStringLiteral("ALWAYS"));
        d.Click("cloakbutbegin");
        states.push_back(d.ReadBytes("SHIP.OPT"));
        for (std::size_t i = 1; i < states.size(); ++i) {
            QVERIFY(states[i] != states[i - 1]);
        }
        QVERIFY(Can(d, "undomenu") && !Can(d, "redomenu"));

        // Undo in Transparency mode: after its own change is taken back the list offers the
        // texture again.
        d.Trigger("transparencymenu");
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            d.Trigger("undomenu");
            QCOMPARE(d.ReadBytes("SHIP.OPT"), states[i - 1]);
            QVERIFY(Can(d, "redomenu"));
        }
        QCOMPARE(d.Rows("transtexturelist"), (QStringList{"TEX00001", "TEX00010", "TEX00011"}));
        QVERIFY(!Can(d, "undomenu"));
        d.Trigger("undomenu"); // nothing left: nothing happens
        QCOMPARE(d.ReadBytes("SHIP.OPT"), states.front());
        for (std::size_t i = 1; i < states.size(); ++i) {
            QTest::keySequence(&d.Window(), QKeySequence::Redo);
            QCOMPARE(d.ReadBytes("SHIP.OPT"), states[i]);
        }
        QVERIFY(!Can(d, "redomenu"));
        QCOMPARE(d.Rows("transtexturelist"), (QStringList{"TEX00010", "TEX00011"}));
        QVERIFY(d.messages.size() == 4); // the four warnings of BEGIN
        QCOMPARE(d.FolderFiles(), QStringList{"SHIP.OPT"});
    }

    void aFileChangedOutsideIsNeverOverwritten()
    {
        WindowDriver d;
        const Bytes original = d.WriteOpt("SHIP.OPT", Everything()).bytes;
        d.Open();
        d.ClickFile("SHIP.OPT");
        Begin(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        Bytes outside = d.ReadBytes("SHIP.OPT");
        outside.push_back(0);
        d.WriteBytes("SHIP.OPT", outside);
        d.messages.clear();
        d.Trigger("undomenu");
        QCOMPARE(d.messages.size(), 1);
        QCOMPARE(d.messages.front().kind, lathwork::app::MessageKind::Error);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("SHIP.OPT")));
        QCOMPARE(d.ReadBytes("SHIP.OPT"), outside);
        // Put back as BEGIN left it, the change can be taken back after all; then the same for Redo.
        outside.pop_back();
        d.WriteBytes("SHIP.OPT", outside);
        d.Trigger("undomenu");
        QCOMPARE(d.ReadBytes("SHIP.OPT"), original);
        d.WriteBytes("SHIP.OPT", outside);
        d.Trigger("redomenu");
        QCOMPARE(d.messages.size(), 2);
        QCOMPARE(d.ReadBytes("SHIP.OPT"), outside);
        QVERIFY(Can(d, "redomenu"));
    }

    void eachFileKeepsItsOwnBoundedHistory()
    {
        WindowDriver d;
        d.WriteOpt("A.OPT", Everything());
        const Bytes b = d.WriteOpt("B.OPT", Everything()).bytes;
        d.Open();
        d.ScanIn("A.OPT", "cloakingmenu", "cloakbutbegin");
        for (int km = 1; km <= 21; ++km) {
            d.Type("cloakhighvisdistance", QString::number(km));
            d.Click("cloakbutbegin");
        }
        QCOMPARE(d.Find<QAction>("undomenu")->text(), QStringLiteral("&Undo (older changes dropped)"));
        d.ClickFile("B.OPT");
        QVERIFY(!Can(d, "undomenu"));
        QCOMPARE(d.Find<QAction>("undomenu")->text(), QStringLiteral("&Undo"));
        d.ClickFile("A.OPT");
        d.Click("cloakbutbegin"); // SCAN
        for (int undone = 0; undone < 20; ++undone) {
            QVERIFY(Can(d, "undomenu"));
            d.Trigger("undomenu");
        }
        QVERIFY(!Can(d, "undomenu"));
        QCOMPARE(d.Find<QLineEdit>("cloakhighvisdistance")->text(), QStringLiteral("1")); // rescanned
        QCOMPARE(d.ReadBytes("B.OPT"), b);
    }
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
