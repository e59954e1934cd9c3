// Picking colours on the preview, the picked-colour lists, tolerance and opacity.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QWheelEvent>
#include <QScrollBar>
#include <QSet>

using namespace lathwork::testkit;
using models::Entry;

namespace {

constexpr std::uint16_t kC = Entry(80, 40, 160);
constexpr std::uint16_t kD = Entry(200, 100, 48);

// A 4 x 2 texture. Shown (bitmap rows run bottom-up):
//   y = 0: black, D, black, C
//   y = 1: C, C + 8, C - 8, C with red + 16
TextureShape Swatches(const char* name)
{
    return models::Painted(name, 4, 2,
                           {kC, Entry(88, 48, 168), Entry(72, 32, 152), Entry(96, 40, 160), Entry(0, 0, 0), kD},
                           {0, 1, 2, 3, 4, 5, 4, 0});
}

ModelShape TwoTextures() { return SimpleModel({Swatches("TEX00001"), Swatches("TEX00002")}); }

using Points = QSet<QPair<int, int>>;

Points Marked(const QImage& picture)
{
    Points marked;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (QColor(picture.pixel(x, y)) == QColor(255, 0, 255)) {
                marked.insert({x, y});
            }
        }
    }
    return marked;
}

QColor Swatch(WindowDriver& d, const char* name) { return d.Find<QWidget>(name)->palette().color(QPalette::Window); }

// Opens SHIP.OPT, scans it in the mode and shows its first texture (selected).
void ShowFirstTexture(WindowDriver& d, const char* menu, const char* button, const char* list)
{
    d.WriteOpt("SHIP.OPT", TwoTextures());
    d.Open();
    d.ScanIn("SHIP.OPT", menu, button);
    d.ClickRow(list, 0);
}

} // namespace

class ColourPickingTest : public QObject {
    Q_OBJECT
private slots:
    void pointerSetsTheSwatchOnlyOverThePicture()
    {
        WindowDriver d;
        ShowFirstTexture(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        d.MoveOver(1, 0);
        QCOMPARE(Swatch(d, "illumtintdisplay"), QColor(200, 100, 48));
        QCOMPARE(d.Find<QLineEdit>("illumtinttext")->text(), QStringLiteral("200, 100, 48"));
        d.MoveOver(100, 100); // outside the 4 x 2 picture: the last colour stays
        QCOMPARE(d.Find<QLineEdit>("illumtinttext")->text(), QStringLiteral("200, 100, 48"));
        QCOMPARE(Swatch(d, "transtintdisplay"), QColor(128, 128, 128));
        QCOMPARE(d.Find<QLineEdit>("transtinttext")->text(), QString());
    }

    void pickMarksSimilarPixelsWithinTheTolerance()
    {
        WindowDriver d;
        ShowFirstTexture(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        d.Type("illumcolortolerancebox", QStringLiteral("8"));
        d.PickAt(0, 1);
        QCOMPARE(d.Rows("illumredtintbox"), QStringList{"80"});
        QCOMPARE(d.Rows("illumgreentintbox"), QStringList{"40"});
        QCOMPARE(d.Rows("illumbluetintbox"), QStringList{"160"});
        const Points within8{{0, 1}, {1, 1}, {2, 1}, {3, 0}};
        QCOMPARE(Marked(d.Picture("bmpdisplay")), within8);
        QVERIFY(Marked(d.Picture("bmpholder")).isEmpty());

        d.Find<QScrollBar>("illumcolortolerancebar")->setValue(0);
        QCOMPARE(d.Find<QLineEdit>("illumcolortolerancebox")->text(), QStringLiteral("0"));
        QCOMPARE(Marked(d.Picture("bmpdisplay")), (Points{{0, 1}, {3, 0}}));
        d.Find<QScrollBar>("illumcolortolerancebar")->setValue(8);
        QCOMPARE(Marked(d.Picture("bmpdisplay")), within8);
        d.Find<QScrollBar>("illumcolortolerancebar")->setValue(16); // red + 16 joins
        QCOMPARE(Marked(d.Picture("bmpdisplay")).size(), 5);
    }

    void eachPickMarksOnlyItsColourAndCornersCount()
    {
        WindowDriver d;
        ShowFirstTexture(d, "transparencymenu", "transbutbegin", "transtexturelist");
        d.Type("transcolortolerancebox", QStringLiteral("0"));
        d.PickAt(0, 0);
        QCOMPARE(Marked(d.Picture("bmpdisplay")), (Points{{0, 0}, {2, 0}}));
        d.PickAt(3, 1);
        QCOMPARE(Marked(d.Picture("bmpdisplay")), (Points{{0, 0}, {2, 0}, {3, 1}}));
        QCOMPARE(d.Rows("transredtintbox"), (QStringList{"0", "96"}));
    }

    void identicalPicksThenRemovingOneKeepsTheMarks()
    {
        WindowDriver d;
        ShowFirstTexture(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        d.Type("illumcolortolerancebox", QStringLiteral("0"));
        d.PickAt(0, 1);
        d.ClickPreview(); // the texture's colour under the mark: picked twice
        QCOMPARE(d.Rows("illumbluetintbox"), (QStringList{"160", "160"}));
        d.ClickRow("illumbluetintbox", 1);
        QVERIFY(d.Enabled("illumremovecolor"));
        d.Click("illumremovecolor");
        QCOMPARE(d.Rows("illumredtintbox"), QStringList{"80"});
        QVERIFY(!d.Enabled("illumremovecolor"));
        QCOMPARE(Marked(d.Picture("bmpdisplay")), (Points{{0, 1}, {3, 0}}));
        d.ClickRow("illumredtintbox", 0);
        d.Click("illumremovecolor");
        QVERIFY(Marked(d.Picture("bmpdisplay")).isEmpty());
    }

    void rowClickSelectsTheRowInAllThreeLists()
    {
        WindowDriver d;
        ShowFirstTexture(d, "transparencymenu", "transbutbegin", "transtexturelist");
        d.PickAt(0, 0);
        d.PickAt(1, 0);
        d.PickAt(3, 1);
        d.MoveOver(0, 0); // the swatch shows black again
        d.ClickRow("transgreentintbox", 1);
        for (const char* list : {"transredtintbox", "transgreentintbox", "transbluetintbox"}) {
            QCOMPARE(d.Find<QListWidget>(list)->currentRow(), 1);
            QCOMPARE(d.SelectedRows(list).size(), 1);
        }
        QCOMPARE(Swatch(d, "transtintdisplay"), QColor(200, 100, 48));
        QCOMPARE(d.Find<QLineEdit>("transtinttext")->text(), QStringLiteral("200, 100, 48"));
        QVERIFY(d.Enabled("transremovecolor"));
        QCOMPARE(Swatch(d, "illumtintdisplay"), QColor(128, 128, 128));
        d.Click("transremovecolor");
        QCOMPARE(d.Rows("transredtintbox"), (QStringList{"0", "96"}));
        QCOMPARE(d.Rows("transgreentintbox"), (QStringList{"0", "40"}));
        QCOMPARE(d.Rows("transbluetintbox"), (QStringList{"0", "160"}));
    }

    void toleranceBoxKeepsTheBarWithinRange()
    {
        WindowDriver d;
        d.Open();
        auto* bar = d.Find<QScrollBar>("transcolortolerancebar");
        d.Type("transcolortolerancebox", QStringLiteral("300"));
        QCOMPARE(d.Find<QLineEdit>("transcolortolerancebox")->text(), QStringLiteral("255"));
        QCOMPARE(bar->value(), 255);
        d.Type("transcolortolerancebox", QStringLiteral("40"));
        QCOMPARE(bar->value(), 40);
        for (const QString& junk : {QStringLiteral("abc"), QString(), QStringLiteral("-5"), QStringLiteral("x4")}) {
            d.Type("transcolortolerancebox", junk);
            QCOMPARE(bar->value(), 40);
        }
        d.LeaveBox("transcolortolerancebox");
        QCOMPARE(d.Find<QLineEdit>("transcolortolerancebox")->text(), QStringLiteral("40"));
        d.Type("transcolortolerancebox", QStringLiteral("99999999999999999999"));
        QCOMPARE(d.Find<QLineEdit>("transcolortolerancebox")->text(), QStringLiteral("255"));
        QCOMPARE(bar->value(), 255);
        QCOMPARE(d.Find<QScrollBar>("illumcolortolerancebar")->value(), 32);
    }

    void opacitySwatchIsTheInverseGrey()
    {
        WindowDriver d;
        d.Open();
        auto* bar = d.Find<QScrollBar>("transopacitybar");
        bar->setValue(0);
        QCOMPARE(Swatch(d, "transopacitydisplay"), QColor(255, 255, 255));
        QCOMPARE(d.Find<QLineEdit>("transopacitybox")->text(), QStringLiteral("0"));
        bar->setValue(255);
        QCOMPARE(Swatch(d, "transopacitydisplay"), QColor(0, 0, 0));
        bar->setValue(111);
        QCOMPARE(Swatch(d, "transopacitydisplay"), QColor(144, 144, 144));
        d.Type("transopacitybox", QStringLiteral("999"));
        QCOMPARE(d.Find<QLineEdit>("transopacitybox")->text(), QStringLiteral("255"));
        QCOMPARE(bar->value(), 255);
        d.Type("transopacitybox", QStringLiteral("0"));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(Swatch(d, "transopacitydisplay"), QColor(255, 255, 255));
        d.Type("transopacitybox", QStringLiteral("-1"));
        QCOMPARE(bar->value(), 0);
        d.LeaveBox("transopacitybox");
        QCOMPARE(d.Find<QLineEdit>("transopacitybox")->text(), QStringLiteral("0"));
    }

    void clicksOnThePreviewInOtherModesChangeNoList()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", SimpleModel({SetShape{1, {Swatches("TEX00001"), Swatches("TEX00002")}, {}}}));
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.ClickRow("animtexturesetlist", 0);
        d.ClickRow("animtexturelist", 0);
        QCOMPARE(d.Picture("bmpdisplay").size(), QSize(4, 2));
        d.PickAt(1, 0);
        d.Trigger("cloakingmenu");
        d.PickAt(1, 0);
        for (const char* list : {"illumredtintbox", "transredtintbox"}) {
            QCOMPARE(d.Find<QListWidget>(list)->count(), 0);
        }
        QCOMPARE(d.Find<QLineEdit>("illumtinttext")->text(), QString());
        QCOMPARE(d.Find<QLineEdit>("transtinttext")->text(), QString());
    }

    void customSelectNeedsAPickedColour()
    {
        WindowDriver d;
        ShowFirstTexture(d, "transparencymenu", "transbutbegin", "transtexturelist");
        QVERIFY(d.Enabled("transbutbegin"));
        d.Click("transcustompickon");
        QVERIFY(!d.Enabled("transbutbegin"));
        d.PickAt(1, 0);
        QVERIFY(d.Enabled("transbutbegin"));
        d.ClickRow("transredtintbox", 0);
        d.Click("transremovecolor");
        QVERIFY(!d.Enabled("transbutbegin"));
        d.PickAt(0, 0);
        QVERIFY(d.Enabled("transbutbegin"));
        d.Click("transcustompickoff");
        QVERIFY(d.Enabled("transbutbegin"));
        d.ClickRow("transtexturelist", 0); // nothing selected now
        QVERIFY(!d.Enabled("transbutbegin"));
        d.Click("transcustompickoff"); // never disables, never enables without a selection
        QVERIFY(!d.Enabled("transbutbegin"));
    }

    void pickUnderScanLeavesTheButtonAlone()
    {
        WindowDriver d;
        ShowFirstTexture(d, "transparencymenu", "transbutbegin", "transtexturelist");
        d.MoveOver(1, 0);
        d.PickAt(1, 0);
        d.ClickFile("SHIP.OPT"); // back to SCAN; the transparency colours stay
        QCOMPARE(d.Rows("transredtintbox"), QStringList{"200"});
        d.PickAt(1, 0); // the pane no longer shows the texture: nothing to pick
        QCOMPARE(d.Rows("transredtintbox"), QStringList{"200"});
        QCOMPARE(d.Caption("transbutbegin"), QStringLiteral("SCAN"));
        QVERIFY(d.Enabled("transbutbegin"));
    }

    void illuminationColoursGoWithTheFile()
    {
        WindowDriver d;
        ShowFirstTexture(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        d.PickAt(1, 0);
        d.ClickFile("SHIP.OPT");
        QVERIFY(d.Rows("illumredtintbox").isEmpty());
        QVERIFY(d.Rows("illumbluetintbox").isEmpty());
    }

    void listClickMarksOnlyWhenTheEntryIsSelected()
    {
        WindowDriver d;
        ShowFirstTexture(d, "illuminationmenu", "illumbutbegin", "illumtexturelist");
        d.Type("illumcolortolerancebox", QStringLiteral("0"));
        d.PickAt(1, 0);
        d.ClickRow("illumtexturelist", 0); // deselects entry 1: shown unmarked
        QVERIFY(!d.Enabled("illumbutbegin"));
        QVERIFY(Marked(d.Picture("bmpdisplay")).isEmpty());
        d.ClickRow("illumtexturelist", 1); // selects entry 2: marked
        QVERIFY(d.Enabled("illumbutbegin"));
        QCOMPARE(Marked(d.Picture("bmpdisplay")), (Points{{1, 0}}));
    }
    // After wheel turns with the pointer resting, the swatch and the pick both read the pixel
    // now under the pointer; a click beside the picture picks nothing.
    void pickReadsThePixelUnderTheClickAfterScrolling()
    {
        WindowDriver d;
        std::vector<std::uint16_t> colours;
        Bytes pixels;
        for (int i = 0; i < 16; ++i) {
            colours.push_back(Entry(8 * i, 0, 0));
        }
        for (int y = 0; y < 400; ++y) {
            pixels.insert(pixels.end(), 20, static_cast<std::uint8_t>(y / 25));
        }
        d.WriteOpt("TALL.OPT", SimpleModel({models::Painted("TEX00001", 20, 400, colours, pixels)}));
        d.Open();
        d.ScanIn("TALL.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        auto* pane = d.Find<QWidget>("bmpdisplay");
        auto* down = d.Find<QScrollBar>("previewvscroll");
        QStringList picked;
        d.MoveOver(5, 10);
        for (int turn = 0; turn < 2; ++turn) { // 96 rows: within the scroll range
            QWheelEvent wheel(QPointF(5, 10), pane->mapToGlobal(QPointF(5, 10)), {}, QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pane, &wheel);
            // The swatch shows marks; the pick takes the texture's colour beneath them.
            QCOMPARE(Swatch(d, "illumtintdisplay"), QColor(d.Picture("bmpdisplay").pixel(5, 10 + down->value())));
            const QColor under(d.Picture("bmpholder").pixel(5, 10 + down->value()));
            d.ClickPreview();
            picked << QString::number(under.red());
            QCOMPARE(d.Rows("illumredtintbox"), picked);
        }
        QVERIFY(down->value() > 0);
        d.PickAt(100, 10); // beside the 20-pixel-wide picture
        QCOMPARE(d.Rows("illumredtintbox"), picked);
    }
};

QTEST_MAIN(ColourPickingTest)
#include "ColourPickingTest.moc"
