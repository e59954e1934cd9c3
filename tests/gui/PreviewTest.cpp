// The texture lists' preview and Extract Textures, driven through the controls.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace lathwork::testkit;

namespace {

// Two textures named TEX00005, a 4 x 4 one and then an 8 x 2 one, and TEX00006.
ModelShape Duplicates()
{
    return SimpleModel({MakeTexture("TEX00005", 4, 4), MakeTexture("TEX00006", 2, 2), MakeTexture("TEX00005", 8, 2)});
}

QByteArray Digest(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void clickShowsTheLastNodeOfTheName()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", Duplicates());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.Rows("illumtexturelist"), (QStringList{"TEX00005", "TEX00006", "TEX00005"}));
        d.ClickRow("illumtexturelist", 0);
        QCOMPARE(d.Picture("bmpdisplay").size(), QSize(8, 2));
        QCOMPARE(d.Picture("bmpholder"), d.Picture("bmpdisplay"));
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00005"));
        QCOMPARE(d.Window().State().TexWidth, 8);
        QCOMPARE(d.Window().State().TexHeight, 2);
        QVERIFY(d.Enabled("illumbutbegin"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        d.ClickRow("illumtexturelist", 1);
        QCOMPARE(d.Picture("bmpdisplay").size(), QSize(2, 2));
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00006"));
    }

    void deselectingClickShowsTheTextureAndDisablesBegin()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", Duplicates());
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        d.ClickRow("transtexturelist", 1);
        QVERIFY(d.Enabled("transbutbegin"));
        d.Trigger("transparencymenu"); // empties the pane
        QVERIFY(d.Picture("bmpdisplay").isNull());
        d.ClickRow("transtexturelist", 1); // deselects the only selected entry
        QVERIFY(d.SelectedRows("transtexturelist").isEmpty());
        QVERIFY(!d.Enabled("transbutbegin"));
        QCOMPARE(d.Picture("bmpdisplay").size(), QSize(2, 2));
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00006"));
    }

    void animationTextureClicksNeverTouchTheBeginButton()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.ClickRow("animtexturesetlist", 0);
        QVERIFY(d.Enabled("animbutbegin"));
        d.ClickRow("animtexturelist", 1);
        QVERIFY(d.Enabled("animbutbegin"));
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00011"));
        QCOMPARE(d.Picture("bmpdisplay").size(), QSize(4, 4));
        d.ClickRow("animtexturesetlist", 0); // deselected: BEGIN off
        QVERIFY(!d.Enabled("animbutbegin"));
        d.ClickRow("animtexturelist", 0);
        QVERIFY(!d.Enabled("animbutbegin"));
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00010"));
        QCOMPARE(d.Caption("animbutbegin"), QStringLiteral("BEGIN"));
    }

    void aNameNoLongerInTheFileLeavesThePreview()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", Duplicates());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 1);
        const QImage shown = d.Picture("bmpdisplay");
        d.WriteOpt("SHIP.OPT", SimpleModel({MakeTexture("TEX00009")}));
        d.ClickRow("illumtexturelist", 0);
        QCOMPARE(d.Picture("bmpdisplay"), shown);
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("TEX00006"));
        QVERIFY(d.Enabled("illumbutbegin"));
        QVERIFY(d.messages.isEmpty());
    }

    void largeTextureShowsItsTopLeftAndStaysPickable()
    {
        WindowDriver d;
        TextureShape big = models::Painted("TEX00001", 300, 280, {models::Entry(0, 0, 0), models::Entry(80, 40, 160)},
                                          Bytes(300 * 280, 0));
        big.pixels[(279 - 200) * 300 + 200] = 1; // rows run bottom-up
        d.WriteOpt("BIG.OPT", SimpleModel({big}));
        d.Open();
        d.ScanIn("BIG.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        QCOMPARE(d.Picture("bmpdisplay").size(), QSize(300, 280));
        QCOMPARE(d.Find<QLabel>("bmpdisplay")->size(), QSize(256, 256));
        // At 1x the rest of the picture is reached with scroll bars.
        QVERIFY(d.Find<QWidget>("previewhscroll")->isVisible() && d.Find<QWidget>("previewvscroll")->isVisible());
        d.MoveOver(200, 200);
        QCOMPARE(d.Find<QLineEdit>("illumtinttext")->text(), QStringLiteral("80, 40, 160"));
        d.PickAt(200, 200);
        QCOMPARE(d.Rows("illumredtintbox"), QStringList{"80"});
        QCOMPARE(QColor(d.Picture("bmpdisplay").pixel(200, 200)), QColor(255, 0, 255));
    }

    void noWorkingFileIsLeftAndTheUsersFilesSurvive()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", Duplicates());
        d.WriteBytes("TEX00005.BMP", {'m', 'i', 'n', 'e'});
        d.WriteBytes("temp.dat", {1, 2, 3, 4, 5});
        d.Open();
        const QStringList before = d.FolderFiles();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        d.PickAt(1, 1);
        d.Click("illumcustompickon");
        d.Trigger("transparencymenu");
        d.Click("transbutbegin");
        d.ClickRow("transtexturelist", 2);
        d.PickAt(0, 0);
        d.Find<QScrollBar>("transcolortolerancebar")->setValue(60);
        d.Trigger("animationmenu");
        d.Click("animbutbegin");
        QCOMPARE(d.FolderFiles(), before);
        QCOMPARE(d.ReadBytes("TEX00005.BMP"), (Bytes{'m', 'i', 'n', 'e'}));
        QCOMPARE(d.ReadBytes("temp.dat"), (Bytes{1, 2, 3, 4, 5}));
    }

    void extractionWritesBesideTheOptAndChangesNothingElse()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", Duplicates());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 1);
        const QImage shown = d.Picture("bmpdisplay");
        const QByteArray opt = Digest(d.PathOf("SHIP.OPT"));
        d.Trigger("extracttexmenu");
        QCOMPARE(d.Status(), QStringLiteral("Extractions complete.  Find textures in FLIGHTMODELS folder."));
        QCOMPARE(d.beeps, 2);
        QCOMPARE(d.FolderFiles(), (QStringList{"SHIP.OPT", "SHIP_TEX00005.BMP", "SHIP_TEX00006.BMP"}));
        QCOMPARE(QImage(d.PathOf("SHIP_TEX00005.BMP")).size(), QSize(8, 2));
        QCOMPARE(Digest(d.PathOf("SHIP.OPT")), opt);
        QCOMPARE(d.Picture("bmpdisplay"), shown);
        QCOMPARE(d.SelectedRows("illumtexturelist"), QStringList{"TEX00006"});
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        d.Trigger("extracttexmenu"); // a second run replaces the bitmaps
        QCOMPARE(d.FolderFiles().size(), 3);
        QVERIFY(d.messages.isEmpty());
    }

    void extractionOfAModelWithoutTexturesStillReports()
    {
        WindowDriver d;
        d.WriteOpt("EMPTY.OPT", SimpleModel({}));
        d.Open();
        d.ClickFile("EMPTY.OPT");
        d.Trigger("extracttexmenu");
        QCOMPARE(d.Status(), QStringLiteral("Extractions complete.  Find textures in FLIGHTMODELS folder."));
        QCOMPARE(d.beeps, 1);
        QCOMPARE(d.FolderFiles(), QStringList{"EMPTY.OPT"});
    }

    void extractionOfADamagedFileGivesOneMessage()
    {
        WindowDriver d;
        Bytes bytes = Build(Duplicates()).bytes;
        bytes.resize(bytes.size() / 3);
        d.WriteBytes("BROKEN.OPT", bytes);
        d.Open();
        d.ClickFile("BROKEN.OPT");
        d.Trigger("extracttexmenu");
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("BROKEN.OPT")));
        QCOMPARE(d.Status(), QStringLiteral("Select OPT from directory, then press SCAN\n"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(d.ReadBytes("BROKEN.OPT"), bytes);
    }
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
