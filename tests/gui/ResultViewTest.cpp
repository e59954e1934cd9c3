// The light level, the result view and the zoom of the preview, driven through the controls.
#include "imaging/Preview.hpp"
#include "opt/OptImage.hpp"
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>

#include <random>

using namespace lathwork::testkit;
using models::Entry;

namespace {

constexpr int kSide = 8;
const QColor kMagenta(255, 0, 255);

// Entry 0 is red 8r at light level r, entry 1 green 4r, entry 2 the same at every level (self-lit).
QColor Colour(int entry, int row) { return entry == 0 ? QColor(8 * row, 0, 0) : entry == 1 ? QColor(0, 4 * row, 0) : QColor(200, 100, 48); }

// The entry shown at (x, y): stored rows run bottom-up.
int EntryAt(int x, int y) { return (x + 2 * (kSide - 1 - y)) % 3; }

TextureShape Lit(const char* name, std::int32_t children)
{
    TextureShape t = MakeTexture(name, kSide, kSide);
    t.ownPalette = Bytes(8192, 0);
    for (int at = 0; at < 16 * 3; ++at) {
        const QColor c = Colour(at % 3, at / 3);
        const auto v = Entry(c.red(), c.green(), c.blue());
        t.ownPalette[static_cast<std::size_t>(512 * (at / 3) + 2 * (at % 3))] = static_cast<std::uint8_t>(v & 255);
        t.ownPalette[static_cast<std::size_t>(512 * (at / 3) + 2 * (at % 3) + 1)] = static_cast<std::uint8_t>(v >> 8);
    }
    for (int i = 0; i < kSide * kSide; ++i) {
        t.pixels.push_back(static_cast<std::uint8_t>((i % kSide + 2 * (i / kSide)) % 3));
    }
    t.childCount = children; // with opacity bytes of 0
    t.alphaFill = 0;
    return t;
}

bool IsChecker(QColor c) { return c == QColor(204, 204, 204) || c == QColor(153, 153, 153); }

// Every pixel of the pane's picture against what its entry should show.
template <typename Expect>
void ExpectPixels(WindowDriver& d, Expect expect)
{
    const QImage shown = d.Picture("bmpdisplay");
    QCOMPARE(shown.size(), QSize(kSide, kSide));
    for (int y = 0; y < kSide * kSide; ++y) {
        QVERIFY2(expect(QColor(shown.pixel(y % kSide, y / kSide)), EntryAt(y % kSide, y / kSide)), qPrintable(QString::number(y)));
    }
}

// TEX00001, and TEX00002 already see-through, scanned; row of the list clicked.
void Open(WindowDriver& d, const char* menu, const char* button, const char* list, int row)
{
    d.WriteOpt("SHIP.OPT", SimpleModel({Lit("TEX00001", 0), Lit("TEX00002", 1)}));
    d.Open();
    d.ScanIn("SHIP.OPT", menu, button);
    d.ClickRow(list, row);
}

QString SwatchText(WindowDriver& d, const char* mode) { return d.Find<QLineEdit>((QByteArray(mode) + "tinttext").constData())->text(); }

QString TextOf(QColor c) { return QStringLiteral("%1, %2, %3").arg(c.red()).arg(c.green()).arg(c.blue()); }

} // namespace

class ResultViewTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsShowTheBitmapAsItAlwaysWas()
    {
        // Random sizes and pixels: at the defaults the pane holds exactly the picture of the
        // texture's bitmap, and a trip through the other views comes back to it.
        std::mt19937 rng(7);
        WindowDriver d;
        std::vector<LeafShape> leaves;
        for (int i = 0; i < 6; ++i) {
            TextureShape t = MakeTexture("TEX0000" + std::to_string(i), static_cast<int>(rng() % 13 + 1),
                                         static_cast<int>(rng() % 9 + 1));
            for (int p = 0; p < t.width * t.height; ++p) {
                t.pixels.push_back(static_cast<std::uint8_t>(rng()));
            }
            leaves.push_back(t);
        }
        const lathwork::OptImage image(d.WriteOpt("SHIP.OPT", SimpleModel(leaves)).bytes);
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        for (int row = 0; row < 6; ++row) {
            d.ClickRow("transtexturelist", row);
            const auto bmp = lathwork::PreviewTexture(image, StoredName(d.Rows("transtexturelist")[row].toLatin1()).toStdString())->bitmap;
            const QImage expected = QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "BMP").convertToFormat(QImage::Format_RGB32);
            QCOMPARE(d.Picture("bmpdisplay"), expected);
            d.Key("lightingrowbar", Qt::Key_Home);
            d.Click("previewresult");
            d.Find<QComboBox>("previewzoom")->setCurrentIndex(3);
            QVERIFY(d.Picture("bmpdisplay") != expected);
            d.Find<QSlider>("lightingrowbar")->setValue(7);
            d.Click("previewresult");
            d.Find<QComboBox>("previewzoom")->setCurrentIndex(0);
            QCOMPARE(d.Find<QLabel>("bmpdisplay")->pixmap().toImage().convertToFormat(QImage::Format_RGB32), expected);
        }
    }

    void lightLevelsAndResults()
    {
        WindowDriver d;
        Open(d, "illuminationmenu", "illumbutbegin", "illumtexturelist", 0);
        d.Key("lightingrowbar", Qt::Key_Home);
        ExpectPixels(d, [](QColor c, int e) { return c == Colour(e, 0); }); // self-lit entry 2 stays bright
        d.MoveOver(0, 7); // entry 0: the swatch reads its row-7 colour, not the one shown
        QCOMPARE(SwatchText(d, "illum"), TextOf(Colour(0, 7)));
        // The result of "Custom select" with entry 1 picked at row 0: only entry 1 is lit, and
        // the result shows no marks.
        d.Click("previewresult");
        d.Click("illumcustompickon");
        d.PickAt(1, 7);
        ExpectPixels(d, [](QColor c, int e) { return c == Colour(e, e == 1 ? 7 : 0); });
        // A texture carrying opacity 0 shows the checkerboard through it, in any mode; without
        // the result the marks show at every light level.
        d.ClickRow("illumtexturelist", 1);
        ExpectPixels(d, [](QColor c, int) { return IsChecker(c); });
        d.Click("previewresult");
        ExpectPixels(d, [](QColor c, int e) { return e == 1 ? c == kMagenta : c == Colour(e, 0); });

        // Transparency: the pending opacity of the picked entry lets the checkerboard through.
        d.Trigger("transparencymenu");
        d.Click("transbutbegin");
        d.ClickRow("transtexturelist", 0);
        d.Click("previewresult");
        d.Type("transopacitybox", QStringLiteral("0"));
        d.Find<QScrollBar>("transcolortolerancebar")->setValue(0);
        d.Click("transcustompickon");
        d.PickAt(0, 0);
        ExpectPixels(d, [](QColor c, int e) { return e == EntryAt(0, 0) ? IsChecker(c) : c == Colour(e, 0); });
        d.Type("transopacitybox", QStringLiteral("255"));
        ExpectPixels(d, [](QColor c, int e) { return c == Colour(e, 0); });
    }

    void zoomedPanePicksThePixelUnderThePointer()
    {
        WindowDriver d;
        Open(d, "illuminationmenu", "illumbutbegin", "illumtexturelist", 0);
        // 2x: each texture pixel is 2 x 2 pane pixels; Fit: 8 pixels in 256 are 32 each.
        for (const auto& [index, scale] : {std::pair{1, 2}, std::pair{3, 32}}) {
            d.Find<QComboBox>("previewzoom")->setCurrentIndex(index);
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    d.MoveOver(scale * x + scale - 1, scale * y);
                    QCOMPARE(SwatchText(d, "illum"), TextOf(Colour(EntryAt(x, y), 7)));
                }
            }
            const QImage pane = d.Find<QLabel>("bmpdisplay")->pixmap().toImage();
            QCOMPARE(pane.size(), QSize(kSide * scale, kSide * scale));
            QCOMPARE(QColor(pane.pixel(scale * 5 + 1, scale * 6 + 1)), Colour(EntryAt(5, 6), 7));
        }
        // A pick at Fit marks exactly the pixels of the entry under the pointer.
        d.Find<QScrollBar>("illumcolortolerancebar")->setValue(0);
        d.PickAt(32 * 4 + 5, 32 * 7 + 31);
        ExpectPixels(d, [](QColor c, int e) { return e == EntryAt(4, 7) ? c == kMagenta : c == Colour(e, 7); });
    }

    void largePicturesScrollAndThePaneGrowsWithTheWindow()
    {
        WindowDriver d;
        TextureShape big = models::Painted("TEX00001", 100, 90, {Entry(0, 0, 0), Entry(80, 40, 160)}, Bytes(9000, 0));
        big.pixels[0] = 1; // the bottom-left pixel: (0, 89)
        d.WriteOpt("BIG.OPT", SimpleModel({big}));
        d.Open();
        d.ScanIn("BIG.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        d.Find<QComboBox>("previewzoom")->setCurrentIndex(2); // 400 x 360 in a 256 x 256 pane
        auto* down = d.Find<QScrollBar>("previewvscroll");
        QVERIFY(down->isVisible() && d.Find<QScrollBar>("previewhscroll")->isVisible());
        down->setValue(down->maximum());
        d.MoveOver(1, 256 - d.Find<QScrollBar>("previewhscroll")->height() - 1);
        QCOMPARE(SwatchText(d, "illum"), QStringLiteral("80, 40, 160"));
        // The pane grows by half of what the window grows and never gets smaller than 256 x 256.
        d.Window().resize(d.Window().width() + 400, d.Window().height() + 300);
        QTRY_COMPARE(d.Find<QWidget>("bmpdisplay")->size(), QSize(456, 406));
        QTRY_VERIFY(!down->isVisible());
        d.Window().resize(300, 200);
        QTRY_COMPARE(d.Window().centralWidget()->size(), QSize(727, 488));
        QCOMPARE(d.Find<QWidget>("bmpdisplay")->size(), QSize(256, 256));
    }
};

QTEST_MAIN(ResultViewTest)
#include "ResultViewTest.moc"
