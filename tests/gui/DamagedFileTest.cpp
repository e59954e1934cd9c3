// Damaged and hostile files opened in every mode, with every button pressed: each error comes
// as one message box, nothing a file holds crashes the window, the busy cursor always comes
// back, and the file is never changed.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"
#include "testkit/ReliabilityFixtures.hpp"

#include <QApplication>
#include <QFile>

#include <limits>

using namespace lathwork::testkit;
using lathwork::app::MessageKind;

namespace {

struct Damage {
    QString what;
    Bytes bytes;
};

Bytes Good() { return Build(models::Mixed()).bytes; }

// Files on which no mode can scan or write.
QList<Damage> DamagedFiles()
{
    const Bytes good = Good();
    Bytes hugeCount = good;
    SetLong(hugeCount, 14, std::numeric_limits<std::int32_t>::max());
    Bytes outside = good;
    SetLong(outside, 22, 0x7FFFFF00);
    Bytes text(4000, 'x');
    return {
        {QStringLiteral("empty"), Bytes{}},
        {QStringLiteral("cut in the header"), Bytes(good.begin(), good.begin() + 20)},
        {QStringLiteral("cut in the nodes"), Bytes(good.begin(), good.begin() + 120)},
        {QStringLiteral("TopNodeCount near 2^31"), hugeCount},
        {QStringLiteral("top node outside the file"), outside},
        {QStringLiteral("not an OPT at all"), text},
    };
}

struct Mode {
    const char* menu;
    const char* button;
    const char* list;        // the list a scan fills (nullptr: Cloaking)
    const char* prefix;      // of the select-all and colour controls (nullptr: none)
};

const Mode kModes[] = {
    {"illuminationmenu", "illumbutbegin", "illumtexturelist", "illum"},
    {"transparencymenu", "transbutbegin", "transtexturelist", "trans"},
    {"animationmenu", "animbutbegin", "animtexturesetlist", "anim"},
    {"cloakingmenu", "cloakbutbegin", nullptr, nullptr},
};

int Errors(const WindowDriver& d)
{
    int errors = 0;
    for (const lathwork::app::Message& message : d.messages) {
        errors += message.kind == MessageKind::Error ? 1 : 0;
    }
    return errors;
}

// Runs one user action and returns how many error boxes it showed; the hourglass must be gone.
int Press(WindowDriver& d, const std::function<void()>& action)
{
    const int before = Errors(d);
    action();
    if (QApplication::overrideCursor() != nullptr) {
        QTest::qFail("the busy cursor stayed on", __FILE__, __LINE__);
    }
    return Errors(d) - before;
}

// Every control of the mode's frame and the preview, pressed once; each may report at most
// one error.
void PressEverything(WindowDriver& d, const Mode& mode)
{
    const auto click = [&](const QByteArray& name) {
        if (d.Window().findChild<QWidget*>(QString::fromLatin1(name)) != nullptr) {
            QVERIFY2(Press(d, [&] { d.Click(name.constData()); }) <= 1, name.constData());
        }
    };
    if (mode.prefix != nullptr) {
        const QByteArray prefix(mode.prefix);
        for (const char* suffix : {"selalltextures", "deselalltextures", "custompickon", "custompickoff", "removecolor"}) {
            click(prefix + suffix);
        }
    }
    QVERIFY(Press(d, [&] { d.MoveOver(3, 3); }) == 0);
    QVERIFY(Press(d, [&] { d.ClickPreview(); }) <= 1);
    if (d.Enabled("extracttexmenu")) {
        QVERIFY(Press(d, [&] { d.Trigger("extracttexmenu"); }) <= 1);
    }
    click(mode.button);
}

} // namespace

class DamagedFileTest : public QObject {
    Q_OBJECT
private slots:
    void scanningADamagedFileInEachModeShowsOneMessage()
    {
        for (const Damage& damage : DamagedFiles()) {
            for (const Mode& mode : kModes) {
                const QString where = damage.what + QStringLiteral(", ") + QLatin1String(mode.menu);
                WindowDriver d;
                d.WriteBytes(QStringLiteral("SHIP.OPT"), damage.bytes);
                d.Open();
                d.ClickFile(QStringLiteral("SHIP.OPT"));
                d.Trigger(mode.menu);
                QVERIFY2(Press(d, [&] { d.Click(mode.button); }) == 1, qPrintable(where));
                QVERIFY2(d.messages.back().text.contains(QStringLiteral("SHIP.OPT")), qPrintable(where));
                QCOMPARE(d.Caption(mode.button), QStringLiteral("SCAN"));
                PressEverything(d, mode);
                if (QTest::currentTestFailed()) {
                    qWarning("%s", qPrintable(where));
                    return;
                }
                QCOMPARE(d.ReadBytes(QStringLiteral("SHIP.OPT")), damage.bytes);
                QCOMPARE(d.FolderFiles(), QStringList{"SHIP.OPT"});
            }
        }
    }

    void aFileDamagedBetweenScanAndBeginIsLeftAsItIs()
    {
        for (const Damage& damage : DamagedFiles()) {
            for (const Mode& mode : kModes) {
                const QString where = damage.what + QStringLiteral(", ") + QLatin1String(mode.menu);
                WindowDriver d;
                d.WriteBytes(QStringLiteral("SHIP.OPT"), Good());
                d.Open();
                d.ScanIn(QStringLiteral("SHIP.OPT"), mode.menu, mode.button);
                QCOMPARE(d.Caption(mode.button), QStringLiteral("BEGIN"));
                if (mode.list != nullptr) {
                    d.ClickRow(mode.list, 0);
                }
                d.WriteBytes(QStringLiteral("SHIP.OPT"), damage.bytes);
                d.messages.clear();
                QVERIFY2(Press(d, [&] { d.Click(mode.button); }) == 1, qPrintable(where));
                QCOMPARE(d.messages.front().kind, MessageKind::Warning);
                QCOMPARE(d.ReadBytes(QStringLiteral("SHIP.OPT")), damage.bytes);
                QCOMPARE(d.FolderFiles(), QStringList{"SHIP.OPT"});
                PressEverything(d, mode);
                if (QTest::currentTestFailed()) {
                    qWarning("%s", qPrintable(where));
                    return;
                }
            }
        }
    }

    void aFileThatVanishedOrWhoseNodesLoopIsReported()
    {
        const Bytes loop = FanInModel(400, 400, 400);
        for (const Mode& mode : kModes) {
            WindowDriver d;
            d.WriteBytes(QStringLiteral("SHIP.OPT"), loop);
            d.WriteBytes(QStringLiteral("GONE.OPT"), Good());
            d.Open();
            d.ClickFile(QStringLiteral("SHIP.OPT"));
            d.Trigger(mode.menu);
            // The cloaking scan reads the branch level only, which the loop reaches 400 times.
            const bool cloaking = mode.list == nullptr;
            QCOMPARE(Press(d, [&] { d.Click(mode.button); }), cloaking ? 0 : 1);
            if (cloaking) {
                d.messages.clear();
                QCOMPARE(Press(d, [&] { d.Click(mode.button); }), 1); // the write reaches every table
                QCOMPARE(d.messages.front().kind, MessageKind::Warning);
            }
            PressEverything(d, mode);
            QCOMPARE(d.ReadBytes(QStringLiteral("SHIP.OPT")), loop);

            d.ClickFile(QStringLiteral("GONE.OPT"));
            QFile::remove(d.PathOf(QStringLiteral("GONE.OPT")));
            QCOMPARE(Press(d, [&] { d.Click(mode.button); }), 1);
            QCOMPARE(d.FolderFiles(), QStringList{"SHIP.OPT"});
        }
    }

    void texturesWithHostileSizesCanBeClickedAndPicked()
    {
        // The scan lists them; showing them fails cleanly or shows what can be shown.
        constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
        constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
        const std::vector<std::pair<std::int32_t, std::int32_t>> sizes = {
            {max, max}, {-1, -1}, {65536, 65536}, {1, min}, {100000, 1}, {0, 5}, {3, 3}, {4096, 4096}};
        std::vector<LeafShape> leaves;
        SetShape set{1, {}, {}};
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            TextureShape t = MakeTexture("TEX0000" + std::to_string(i), 4, 4);
            t.width = sizes[i].first;
            t.height = sizes[i].second;
            t.pixels = Bytes(16, static_cast<std::uint8_t>(i));
            leaves.push_back(t);
            set.members.push_back(t);
        }
        TextureShape beyond = MakeTexture("TEX00099", 4, 4);
        leaves.push_back(beyond);
        leaves.push_back(set);
        BuiltModel built = Build(SimpleModel(leaves));
        SetLong(built.bytes, static_cast<std::size_t>(built.Texture("TEX00099") + 41), 1 << 30); // ImageSize

        WindowDriver d;
        d.WriteBytes(QStringLiteral("SHIP.OPT"), built.bytes);
        d.Open();
        d.ScanIn(QStringLiteral("SHIP.OPT"), "illuminationmenu", "illumbutbegin");
        const int rows = d.Find<QListWidget>("illumtexturelist")->count();
        QCOMPARE(rows, static_cast<int>(2 * sizes.size() + 1));
        int errors = 0;
        for (int row = 0; row < rows; ++row) {
            const int shown = Press(d, [&] { d.ClickRow("illumtexturelist", row); });
            QVERIFY(shown <= 1);
            errors += shown;
            QVERIFY(Press(d, [&] { d.PickAt(1, 1); }) == 0);
            QVERIFY(Press(d, [&] { d.MoveOver(255, 255); }) == 0);
            QVERIFY(Press(d, [&] { d.ClickRow("illumtexturelist", row); }) <= 1); // deselects
        }
        QCOMPARE(errors, 1); // the image that does not fit the file

        d.Trigger("animationmenu");
        d.Click("animbutbegin");
        d.ClickRow("animtexturesetlist", 0);
        for (int row = 0; row < d.Find<QListWidget>("animtexturelist")->count(); ++row) {
            QVERIFY(Press(d, [&] { d.ClickRow("animtexturelist", row); }) == 0);
        }
        QCOMPARE(Press(d, [&] { d.Trigger("extracttexmenu"); }), 1);
        QCOMPARE(d.ReadBytes(QStringLiteral("SHIP.OPT")), built.bytes);
    }
};

QTEST_MAIN(DamagedFileTest)
#include "DamagedFileTest.moc"
