// Undo and Redo of BEGIN in every mode, driven through the Edit menu.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include "opt/OptView.hpp"
#include "opt/Scans.hpp"

#include <QLineEdit>

#include <set>

using namespace lathwork::testkit;

namespace {

// A texture, an animatable set and a branch with two distances: every mode has work.
ModelShape Everything()
{
    ModelShape tree = SimpleModel({MakeTexture("TEX00001"), SetShape{1, {MakeTexture("TEX00010"), MakeTexture("TEX00011")}, {}}});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = {3.413533e-05f, 0.5f};
    return tree;
}

// SCAN, the first row, BEGIN (Cloaking: a new distance instead of a row).
void Begin(WindowDriver& d, const char* menu, const char* button, const char* list)
{
    d.Trigger(menu);
    d.Click(button);
    list != nullptr ? d.ClickRow(list, 0) : d.Type("cloakhighvisdistance", QStringLiteral("ALWAYS"));
    d.Click(button);
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void everyBeginIsTakenBackAndMadeAgainByteForByte()
    {
        WindowDriver d;
        std::vector<Bytes> states{d.WriteOpt("SHIP.OPT", Everything()).bytes};
        d.WriteOpt("B.OPT", Everything());
        d.Open();
        d.ClickFile("SHIP.OPT");
        QVERIFY(!d.Enabled("undomenu") && !d.Enabled("redomenu"));
        const std::pair<const char*, const char*> modes[] = {{"illumination", "illum"}, {"transparency", "trans"}};
        for (const auto& [mode, prefix] : modes) {
            Begin(d, (QByteArray(mode) + "menu").constData(), (QByteArray(prefix) + "butbegin").constData(),
                  (QByteArray(prefix) + "texturelist").constData());
            states.push_back(d.ReadBytes("SHIP.OPT"));
        }
        Begin(d, "animationmenu", "animbutbegin", "animtexturesetlist");
        states.push_back(d.ReadBytes("SHIP.OPT"));
        Begin(d, "cloakingmenu", "cloakbutbegin", nullptr);
        states.push_back(d.ReadBytes("SHIP.OPT"));
        QCOMPARE(std::set<Bytes>(states.begin(), states.end()).size(), states.size());
        QVERIFY(d.Enabled("undomenu") && !d.Enabled("redomenu"));
        d.ClickFile("B.OPT"); // each file has its own history
        QVERIFY(!d.Enabled("undomenu"));
        d.ClickFile("SHIP.OPT");

        // Undone in Transparency mode, its change gives the list its texture back.
        d.Trigger("transparencymenu");
        d.Click("transbutbegin");
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            d.Trigger("undomenu");
            QCOMPARE(d.ReadBytes("SHIP.OPT"), states[i - 1]);
        }
        QCOMPARE(d.Rows("transtexturelist"), (QStringList{"TEX00001", "TEX00010", "TEX00011"}));
        QVERIFY(!d.Enabled("undomenu"));
        for (std::size_t i = 1; i < states.size(); ++i) {
            QTest::keySequence(&d.Window(), QKeySequence::Redo);
            QCOMPARE(d.ReadBytes("SHIP.OPT"), states[i]);
        }
        QVERIFY(!d.Enabled("redomenu"));
        QCOMPARE(d.Rows("transtexturelist"), (QStringList{"TEX00010", "TEX00011"}));
        QCOMPARE(d.messages.size(), 4); // the warnings of the four BEGINs
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
        QVERIFY(d.Enabled("redomenu"));
    }

    // Undo from a mode that did not make the change: every scanned list shows the file as it
    // now is, so that no stale row (a set counted in walk order) acts on another thing.
    void undoReadsAgainEveryScannedList()
    {
        WindowDriver d;
        ModelShape tree = SimpleModel({MakeTexture("TEX00001"), MakeTexture("TEX00002"),
                                       SetShape{1, {MakeTexture("TEX00010"), MakeTexture("TEX00011")}, {}},
                                       SetShape{1, {MakeTexture("TEX00020"), MakeTexture("TEX00021")}, {}}});
        std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = {3.413533e-05f, 0.5f};
        d.WriteOpt("SHIP.OPT", tree);
        d.Open();
        d.ClickFile("SHIP.OPT");
        Begin(d, "cloakingmenu", "cloakbutbegin", nullptr);               // high distance ALWAYS
        Begin(d, "animationmenu", "animbutbegin", "animtexturesetlist");  // the first set
        Begin(d, "transparencymenu", "transbutbegin", "transtexturelist"); // TEX00001
        d.ClickRow("transtexturelist", 0);                                // TEX00002 chosen
        d.Trigger("cloakingmenu");
        d.Type("cloakhighvisdistance", QStringLiteral("5")); // an edit not yet written
        d.Trigger("illuminationmenu");
        d.Click("illumbutbegin");
        auto* high = d.Find<QLineEdit>("cloakhighvisdistance");
        const QStringList all{"TEX00001", "TEX00002", "TEX00010", "TEX00011", "TEX00020", "TEX00021"};

        d.Trigger("undomenu");
        QCOMPARE(d.Rows("transtexturelist"), all);
        QCOMPARE(d.SelectedRows("transtexturelist"), QStringList{"TEX00002"});
        QVERIFY(d.Enabled("transbutbegin"));
        QCOMPARE(high->text(), QStringLiteral("5")); // the distances did not move: the edit stays
        d.Trigger("undomenu");
        QCOMPARE(d.Rows("animtexturesetlist"), (QStringList{"Tex Set 1", "Tex Set 2"}));
        QVERIFY(!d.Enabled("animbutbegin"));
        d.Trigger("undomenu");
        QCOMPARE(high->text(), QStringLiteral("2"));
        QVERIFY(!d.Find<QWidget>("highshippic")->isVisible()); // the scale shows in Cloaking only
        QCOMPARE(d.Rows("illumtexturelist"), all);

        // The second row is the second set, on screen and on disk.
        d.Trigger("animationmenu");
        d.ClickRow("animtexturesetlist", 1);
        QCOMPARE(d.Rows("animtexturelist"), (QStringList{"TEX00020", "TEX00021"}));
        d.Click("animbutbegin");
        const Bytes bytes = d.ReadBytes("SHIP.OPT");
        const lathwork::OptView file(bytes);
        QCOMPARE(lathwork::ScanTextureSets(file).size(), std::size_t{1});
        QCOMPARE(lathwork::ListSetTextures(file, 0), (std::vector<std::string>{"TEX00010", "TEX00011"}));
    }
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
