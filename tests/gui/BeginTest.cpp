// BEGIN in each mode on generated files: the warning, the rewrite, the states afterwards, and
// every failure leaving the file as it was.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>

using namespace lathwork::testkit;

namespace {

const QString kComplete = QStringLiteral("Complete!  See readme for troubleshooting info ;-)");

void ExpectOneWarning(WindowDriver& d)
{
    QCOMPARE(d.messages.size(), 1);
    const lathwork::app::Message& warning = d.messages.front();
    QCOMPARE(warning.kind, lathwork::app::MessageKind::Warning);
    QCOMPARE(warning.title, QStringLiteral("OPT modification initiating"));
    QCOMPARE(warning.text, QStringLiteral("The program will now modify the OPT.  This process will take a moment."));
}

ModelShape ThreeSets()
{
    SetShape a{1, {MakeTexture("TEX00010"), MakeTexture("TEX00011")}, {}};
    SetShape b{1, {MakeTexture("TEX00020"), MakeTexture("TEX00021")}, {}};
    SetShape c{1, {MakeTexture("TEX00030"), MakeTexture("TEX00031")}, {}};
    return SimpleModel({a, b, c});
}

void MakeReadOnly(const QString& path) { QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup); }

} // namespace

class BeginTest : public QObject {
    Q_OBJECT
private slots:
    void illuminationRewritesAndStaysReady()
    {
        WindowDriver d;
        const BuiltModel built = d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        d.Click("illumbutbegin");
        ExpectOneWarning(d);
        QCOMPARE(d.Status(), kComplete);
        QCOMPARE(d.beeps, 2);
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        QVERIFY(d.Enabled("illumbutbegin"));
        QCOMPARE(d.SelectedRows("illumtexturelist"), QStringList{"TEX00001"});
        const Bytes after = d.ReadBytes("SHIP.OPT");
        QVERIFY(after != built.bytes);
        // TEX00001 owns its palette: every row of it now holds row 7.
        const std::size_t palette = static_cast<std::size_t>(built.Texture("TEX00001") + 57 + 16);
        for (std::size_t row = 0; row < 16; ++row) {
            QVERIFY(std::equal(after.begin() + static_cast<long>(palette + row * 512),
                               after.begin() + static_cast<long>(palette + row * 512 + 512),
                               after.begin() + static_cast<long>(palette + 3584)));
        }
        d.Click("illumbutbegin"); // pressed again: the same file, the same selection
        QCOMPARE(d.ReadBytes("SHIP.OPT"), after);
        QVERIFY(d.Status().startsWith(QStringLiteral("Nothing was changed")));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        d.Trigger("undomenu"); // the BEGIN that changed nothing left no step of its own
        QCOMPARE(d.ReadBytes("SHIP.OPT"), built.bytes);
    }

    void fileRemovedWhileTheWarningIsOpenIsNamedAndNothingIsWritten()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        const QString path = d.Folder() + QStringLiteral("/SHIP.OPT");
        lathwork::app::SetMessageHook([&](const lathwork::app::Message& message) {
            d.messages.push_back(message);
            QFile::remove(path);
        });
        d.Click("illumbutbegin");
        QCOMPARE(d.messages.size(), 2);
        QVERIFY(d.messages.back().text.contains(QStringLiteral("SHIP.OPT")));
        QVERIFY(d.messages.back().text.endsWith(QStringLiteral("Nothing was written.")));
        QVERIFY(!QFile::exists(path));
    }

    void transparencyRescansItsList()
    {
        WindowDriver d;
        const BuiltModel built = d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        d.ClickRow("transtexturelist", 0);
        d.Type("transopacitybox", QStringLiteral("40"));
        d.Click("transbutbegin");
        ExpectOneWarning(d);
        QCOMPARE(d.Status(), kComplete);
        QCOMPARE(d.Rows("transtexturelist"), (QStringList{"TEX00010", "TEX00011", "TEX00020", "TEX00030"}));
        QCOMPARE(d.Caption("transbutbegin"), QStringLiteral("BEGIN"));
        QVERIFY(!d.Enabled("transbutbegin"));
        // The texture gained a child pointer and an alpha node of 4 x 4 opacity bytes of 40.
        const Bytes after = d.ReadBytes("SHIP.OPT");
        QVERIFY(after.size() > built.bytes.size());
        QCOMPARE(GetLong(after, static_cast<std::size_t>(built.Texture("TEX00001") + 8)), 1);
        QCOMPARE(std::count(after.begin(), after.end(), std::uint8_t{40}) >= 16, true);
    }

    void animationRewritesTheSelectedSetOnly()
    {
        WindowDriver d;
        const BuiltModel built = d.WriteOpt("SETS.OPT", ThreeSets());
        d.Open();
        d.ScanIn("SETS.OPT", "animationmenu", "animbutbegin");
        d.ClickRow("animtexturesetlist", 1);
        QCOMPARE(d.Rows("animtexturelist").size(), 2);
        d.Click("animbutbegin");
        ExpectOneWarning(d);
        QCOMPARE(d.Status(), kComplete);
        QCOMPARE(d.Rows("animtexturesetlist"), (QStringList{"Tex Set 1", "Tex Set 2"}));
        QVERIFY(d.Rows("animtexturelist").isEmpty());
        QVERIFY(!d.Enabled("animbutbegin"));
        Bytes expected = built.bytes;
        SetLong(expected, static_cast<std::size_t>(built.sets[1] + 16), 0);
        SetLong(expected, static_cast<std::size_t>(built.sets[1] + 20), 0);
        QCOMPARE(d.ReadBytes("SETS.OPT"), expected);
    }

    void readOnlyFileGetsOneMessageAndNoWarning()
    {
        WindowDriver d;
        const BuiltModel built = d.WriteOpt("SETS.OPT", ThreeSets());
        d.Open();
        d.ScanIn("SETS.OPT", "animationmenu", "animbutbegin");
        d.ClickRow("animtexturesetlist", 0);
        MakeReadOnly(d.PathOf("SETS.OPT"));
        d.Click("animbutbegin");
        QCOMPARE(d.messages.size(), 1);
        QCOMPARE(d.messages.front().kind, lathwork::app::MessageKind::Error);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("SETS.OPT")));
        QCOMPARE(d.ReadBytes("SETS.OPT"), built.bytes);
        QCOMPARE(d.Status(), QStringLiteral("Choose texture sets to make animated from list, then press BEGIN"));
        QCOMPARE(d.Rows("animtexturesetlist").size(), 3);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(d.FolderFiles(), QStringList{"SETS.OPT"});
    }

    void damagedFileAfterTheScanIsLeftAsItWas()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        Bytes damaged = Build(models::Mixed()).bytes;
        SetLong(damaged, 22, 0x7FFFFFF0); // the first top node lies far outside the file
        d.WriteBytes("SHIP.OPT", damaged);
        d.Click("illumbutbegin");
        QCOMPARE(d.messages.size(), 2); // the warning, then the error
        QCOMPARE(d.messages.back().kind, lathwork::app::MessageKind::Error);
        QVERIFY(d.messages.back().text.contains(QStringLiteral("SHIP.OPT")));
        QCOMPARE(d.ReadBytes("SHIP.OPT"), damaged);
        QVERIFY(d.Status() != kComplete);
        QCOMPARE(d.FolderFiles(), QStringList{"SHIP.OPT"});
    }

    void cloakingScanAndWrite()
    {
        WindowDriver d;
        ModelShape tree = SimpleModel({MakeTexture("TEX00001")});
        std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = {3.413533e-05f, 0.0f};
        const BuiltModel built = d.WriteOpt("SHIP.OPT", tree);
        d.Open();
        d.ScanIn("SHIP.OPT", "cloakingmenu", "cloakbutbegin");
        QCOMPARE(d.Caption("cloakbutbegin"), QStringLiteral("BEGIN"));
        QVERIFY(d.Enabled("cloakbutbegin"));
        QCOMPARE(d.Status(), QStringLiteral("Modify cloaking distance, then press BEGIN"));
        QCOMPARE(d.Find<QLineEdit>("cloakhighvisdistance")->text(), QStringLiteral("2"));
        QCOMPARE(d.Find<QLineEdit>("cloaklowvisdistance")->text(), QStringLiteral("NEVER"));
        QVERIFY(d.Find<QWidget>("highshippic")->isVisible());
        QVERIFY(d.Find<QWidget>("lowshippic")->isVisible());
        d.Trigger("illuminationmenu");
        QVERIFY(!d.Find<QWidget>("highshippic")->isVisible());
        d.Trigger("cloakingmenu");
        QVERIFY(d.Find<QWidget>("highshippic")->isVisible());
        QVERIFY(d.Find<QWidget>("lowshippic")->isVisible());

        d.Type("cloakhighvisdistance", QStringLiteral("ALWAYS"));
        d.Click("cloakbutbegin");
        ExpectOneWarning(d);
        QCOMPARE(d.Status(), kComplete);
        const Bytes after = d.ReadBytes("SHIP.OPT");
        const auto table = static_cast<std::size_t>(
            GetLong(built.bytes, static_cast<std::size_t>(built.branches[0] + 20)) - built.globalOffset);
        QCOMPARE(GetSingle(after, table), 1.0f);
        QCOMPARE(GetSingle(after, table + 4), 0.0f);
        QCOMPARE(after.size(), built.bytes.size());
    }

    void cloakingTextThatIsNoDistanceNeverReachesTheFile()
    {
        WindowDriver d;
        const BuiltModel built = d.WriteOpt("SHIP.OPT", SimpleModel({MakeTexture("TEX00001")}));
        d.Open();
        d.ScanIn("SHIP.OPT", "cloakingmenu", "cloakbutbegin");
        d.Type("cloakhighvisdistance", QStringLiteral("1abc"));
        d.Click("cloakbutbegin");
        QCOMPARE(d.messages.size(), 1);
        QCOMPARE(d.messages.front().kind, lathwork::app::MessageKind::Error);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("1abc")));
        QCOMPARE(d.ReadBytes("SHIP.OPT"), built.bytes);
    }
};

QTEST_MAIN(BeginTest)
#include "BeginTest.moc"
