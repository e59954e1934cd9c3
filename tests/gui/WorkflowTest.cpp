// Modes, the SCAN/BEGIN states, the scans and the chooser's resets, driven through the controls.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QToolBar>

namespace {

const QString kScanPrompt = QStringLiteral("Select OPT from directory, then press SCAN");
const QString kIllumInstruction = QStringLiteral("Choose textures to make illuminated from list, then press BEGIN");
const QString kTransInstruction = QStringLiteral("Choose textures to make transparent from list, then press BEGIN");
const QString kAnimInstruction = QStringLiteral("Choose texture sets to make animated from list, then press BEGIN");

QString Mode(WindowDriver& d) { return d.Find<QGroupBox>("introframe")->title(); }

QStringList CheckedMenuItems(WindowDriver& d)
{
    QStringList checked;
    for (const char* item : {"transparencymenu", "animationmenu", "cloakingmenu", "illuminationmenu"}) {
        if (d.Find<QAction>(item)->isChecked()) {
            checked << QString::fromLatin1(item);
        }
    }
    return checked;
}

bool PreviewEmpty(WindowDriver& d) { return d.Find<QLabel>("bmpdisplay")->pixmap().isNull(); }

} // namespace

class WorkflowTest : public QObject {
    Q_OBJECT
private slots:
    void menuSwitchChecksItemFrontsFrameAndEmptiesPreview()
    {
        WindowDriver d;
        d.Open();
        d.Trigger("illuminationmenu");
        QCOMPARE(CheckedMenuItems(d), QStringList{"illuminationmenu"});
        QCOMPARE(Mode(d), QStringLiteral("Illumination"));
        QVERIFY(d.Find<QWidget>("illuminationframe")->isVisible());
        QVERIFY(!d.Find<QWidget>("transparencyframe")->isVisible());
        QCOMPARE(d.Status(), kScanPrompt);
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QString());
        QVERIFY(PreviewEmpty(d));
        d.Trigger("illuminationmenu"); // choosing the checked item again keeps it checked
        QCOMPARE(CheckedMenuItems(d), QStringList{"illuminationmenu"});
        d.Trigger("animationmenu");
        QCOMPARE(CheckedMenuItems(d), QStringList{"animationmenu"});
        QVERIFY(d.Find<QWidget>("animationframe")->isVisible());
        QVERIFY(!d.Find<QWidget>("illuminationframe")->isVisible());
    }

    void menuAndToolbarAreNotKeptInStep()
    {
        WindowDriver d;
        d.Open();
        d.Trigger("animationmenu");
        for (QAction* button : d.Find<QToolBar>("imagemenu")->actions()) {
            QVERIFY(!button->isChecked());
        }
        d.ClickToolbar(2);
        QCOMPARE(Mode(d), QStringLiteral("Cloaking"));
        QCOMPARE(CheckedMenuItems(d), QStringList{"animationmenu"});
    }

    void firstToolbarButtonDownDecidesTheMode()
    {
        WindowDriver d;
        d.Open();
        d.ClickToolbar(3);
        QCOMPARE(Mode(d), QStringLiteral("Illumination"));
        d.ClickToolbar(0); // Transparency and Illumination both down: the first wins
        QCOMPARE(Mode(d), QStringLiteral("Transparency"));
        d.ClickToolbar(1); // Animation goes down, but Transparency is still first
        QCOMPARE(Mode(d), QStringLiteral("Transparency"));
        d.ClickToolbar(0); // Transparency comes up: Animation is now first
        QCOMPARE(Mode(d), QStringLiteral("Animation"));
        QVERIFY(CheckedMenuItems(d).isEmpty());
    }

    void toolbarClickWithNothingDownChangesNothing()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ClickFile("SHIP.OPT");
        d.ClickToolbar(1);
        d.Click("animbutbegin");
        d.ClickToolbar(1); // the only button down comes up
        QCOMPARE(Mode(d), QStringLiteral("Animation"));
        QCOMPARE(d.Status(), kAnimInstruction);
        QCOMPARE(d.Rows("animtexturesetlist").size(), 2);
    }

    void modeSwitchKeepsCaptionsAndShowsTheRightStatus()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.Status(), kIllumInstruction);
        d.Trigger("transparencymenu");
        QCOMPARE(d.Status(), kScanPrompt);
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        QCOMPARE(d.Caption("transbutbegin"), QStringLiteral("SCAN"));
        d.Click("transbutbegin");
        d.Trigger("animationmenu");
        QCOMPARE(d.Status(), kScanPrompt);
        d.Trigger("illuminationmenu");
        QCOMPARE(d.Status(), kIllumInstruction);
        d.ClickToolbar(0);
        QCOMPARE(d.Status(), kTransInstruction);
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        QCOMPARE(d.Caption("transbutbegin"), QStringLiteral("BEGIN"));
        QCOMPARE(d.Caption("animbutbegin"), QStringLiteral("SCAN"));
    }

    void cloakingShowsTheZoomAndDisablesExtraction()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ClickFile("SHIP.OPT");
        QVERIFY(d.Enabled("extracttexmenu"));
        d.Trigger("cloakingmenu");
        QVERIFY(!d.Enabled("extracttexmenu"));
        QVERIFY(d.Find<QWidget>("zoomadjuster")->isVisible());
        QVERIFY(d.Find<QWidget>("zoomdistance")->isVisible());
        QVERIFY(!d.Find<QWidget>("highshippic")->isVisible());
        QVERIFY(!d.Find<QWidget>("lowshippic")->isVisible());
        d.Trigger("illuminationmenu");
        QVERIFY(d.Enabled("extracttexmenu"));
        QVERIFY(!d.Find<QWidget>("zoomadjuster")->isVisible());
        QVERIFY(!d.Find<QWidget>("zoomdistance")->isVisible());
    }

    void scansListTexturesAndSetsInWalkOrder()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.Rows("illumtexturelist"),
                 (QStringList{"TEX00001", "TEX00003", "TEX00010", "TEX00011", "TEX00020", "TEX00030"}));
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        QVERIFY(!d.Enabled("illumbutbegin"));
        QCOMPARE(d.beeps, 1);
        QCOMPARE(d.Find<QListWidget>("illumtexturelist")->item(0)->data(Qt::UserRole).toByteArray(),
                 StoredName("TEX00001"));

        d.Trigger("transparencymenu");
        d.Click("transbutbegin");
        QCOMPARE(d.Rows("transtexturelist"), (QStringList{"TEX00001", "TEX00010", "TEX00011", "TEX00020", "TEX00030"}));
        QCOMPARE(d.Status(), kTransInstruction);

        d.Trigger("animationmenu");
        d.Click("animbutbegin");
        QCOMPARE(d.Rows("animtexturesetlist"), (QStringList{"Tex Set 1", "Tex Set 2"}));
        QVERIFY(!d.Enabled("animbutbegin"));
        QCOMPARE(d.beeps, 3);
        QVERIFY(d.messages.isEmpty());
    }

    void anotherFileOrAFailedScanAsksForScanAndForgetsTheTexture()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.WriteOpt("OTHER.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        d.ClickRow("illumtexturelist", 0);
        QCOMPARE(d.Status(), kIllumInstruction);
        d.ClickFile("OTHER.OPT");
        QCOMPARE(d.Status(), kScanPrompt);
        QVERIFY(d.Picture("bmpholder").isNull());
        d.Type("illumcolortolerancebox", QStringLiteral("8")); // a control that redraws the texture
        QVERIFY(PreviewEmpty(d));

        d.WriteBytes("OTHER.OPT", {1, 2, 3}); // not a model: the scan fails
        d.Click("illumbutbegin");
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("SCAN"));
        QCOMPARE(d.Status(), kScanPrompt);
    }

    void shortNamesKeepTheirEightBytes()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", lathwork::testkit::SimpleModel({lathwork::testkit::MakeTexture("TEXA")}));
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.Rows("illumtexturelist"), QStringList{"TEXA"});
        QCOMPARE(d.Find<QListWidget>("illumtexturelist")->item(0)->data(Qt::UserRole).toByteArray(), StoredName("TEXA"));
    }

    void setListClickAppliesTheBeginRuleAndListsTheSet()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.ClickRow("animtexturesetlist", 1);
        QVERIFY(d.Enabled("animbutbegin"));
        QCOMPARE(d.Rows("animtexturelist"), (QStringList{"TEX00020", "TEX00021"}));
        d.ClickRow("animtexturesetlist", 0);
        QCOMPARE(d.Rows("animtexturelist"), (QStringList{"TEX00010", "TEX00011"}));
        d.ClickRow("animtexturesetlist", 1); // deselects set 2; set 1 is still selected
        QVERIFY(d.Enabled("animbutbegin"));
        d.ClickRow("animtexturesetlist", 0);
        QVERIFY(!d.Enabled("animbutbegin"));
        QCOMPARE(d.Rows("animtexturelist"), (QStringList{"TEX00010", "TEX00011"}));
    }

    void selectAllAndDeselectAllRunTheListRule()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.Click("animselalltextures");
        QCOMPARE(d.SelectedRows("animtexturesetlist").size(), 2);
        QVERIFY(d.Enabled("animbutbegin"));
        d.Click("animdeselalltextures");
        QVERIFY(d.SelectedRows("animtexturesetlist").isEmpty());
        QVERIFY(!d.Enabled("animbutbegin"));

        d.Trigger("transparencymenu");
        d.Click("transbutbegin");
        d.Click("transselalltextures");
        QCOMPARE(d.SelectedRows("transtexturelist").size(), 5);
        QVERIFY(d.Enabled("transbutbegin"));
        d.Click("transdeselalltextures");
        QVERIFY(!d.Enabled("transbutbegin"));
    }

    void selectAllOnAnEmptyListLeavesTheButtonDisabled()
    {
        WindowDriver d;
        d.WriteOpt("EMPTY.OPT", lathwork::testkit::SimpleModel({}));
        d.Open();
        d.ScanIn("EMPTY.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        d.Click("illumselalltextures");
        QVERIFY(!d.Enabled("illumbutbegin"));
        QVERIFY(d.messages.isEmpty());
    }

    void damagedFileGivesOneMessageAndKeepsScan()
    {
        WindowDriver d;
        lathwork::testkit::Bytes bytes = lathwork::testkit::Build(models::Mixed()).bytes;
        bytes.resize(60); // the walk leads outside the file
        d.WriteBytes("BROKEN.OPT", bytes);
        d.Open();
        d.ScanIn("BROKEN.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("BROKEN.OPT")));
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("SCAN"));
        QVERIFY(d.Enabled("illumbutbegin"));
        QCOMPARE(d.Find<QListWidget>("illumtexturelist")->count(), 0);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(d.beeps, 0);
    }

    void vanishedFileGivesOneMessage()
    {
        WindowDriver d;
        d.WriteOpt("GONE.OPT", models::Mixed());
        d.Open();
        d.ClickFile("GONE.OPT");
        QFile::remove(d.PathOf("GONE.OPT"));
        d.Trigger("animationmenu");
        d.Click("animbutbegin");
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("GONE.OPT")));
        QCOMPARE(d.Caption("animbutbegin"), QStringLiteral("SCAN"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void fileClickArmsAndResetsEvenTheSameFile()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ClickFile("SHIP.OPT");
        for (const char* button : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin"}) {
            QCOMPARE(d.Caption(button), QStringLiteral("SCAN"));
            QVERIFY(d.Enabled(button));
        }
        QVERIFY(d.Enabled("extracttexmenu"));
        d.Trigger("illuminationmenu");
        d.Click("illumbutbegin");
        d.Trigger("transparencymenu");
        d.Click("transbutbegin");
        d.Trigger("animationmenu");
        d.Click("animbutbegin");
        d.ClickRow("animtexturesetlist", 0);
        QCOMPARE(d.Rows("animtexturelist").size(), 2);

        d.ClickFile("SHIP.OPT");
        for (const char* button : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin"}) {
            QCOMPARE(d.Caption(button), QStringLiteral("SCAN"));
            QVERIFY(d.Enabled(button));
        }
        QVERIFY(d.Rows("illumtexturelist").isEmpty());
        QVERIFY(d.Rows("transtexturelist").isEmpty());
        QVERIFY(d.Rows("animtexturelist").isEmpty());
        // The set list of the previous scan stays.
        QCOMPARE(d.Rows("animtexturesetlist"), (QStringList{"Tex Set 1", "Tex Set 2"}));
    }

    void keyboardMoveToAnotherFileResetsToo()
    {
        WindowDriver d;
        d.WriteOpt("A.OPT", models::Mixed());
        d.WriteOpt("B.OPT", models::Mixed());
        d.Open();
        d.ScanIn("A.OPT", "illuminationmenu", "illumbutbegin");
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("BEGIN"));
        auto* files = d.Find<QListWidget>("optfile");
        files->setFocus();
        QTest::keyClick(files, Qt::Key_Down);
        QCOMPARE(d.SelectedRows("optfile"), QStringList{"B.OPT"});
        QCOMPARE(d.Caption("illumbutbegin"), QStringLiteral("SCAN"));
        QVERIFY(d.Enabled("illumbutbegin"));
        QVERIFY(d.Rows("illumtexturelist").isEmpty());
    }

    void fileClickInCloakingKeepsThePictureAndDisablesTheBoxes()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ClickFile("SHIP.OPT");
        d.Trigger("cloakingmenu");
        const QImage before = d.Find<QLabel>("bmpdisplay")->pixmap().toImage();
        d.ClickFile("SHIP.OPT");
        QCOMPARE(d.Find<QLabel>("bmpdisplay")->pixmap().toImage(), before);
        QVERIFY(!d.Enabled("cloakhighvisdistance"));
        QVERIFY(!d.Enabled("cloaklowvisdistance"));
        QVERIFY(!d.Find<QWidget>("highshippic")->isVisible());
        QVERIFY(!d.Find<QWidget>("lowshippic")->isVisible());
    }

    void folderChangeDisarmsAndListsTheNewFolder()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        QDir(d.Folder()).mkdir(QStringLiteral("inner"));
        d.WriteOpt("inner/OTHER.opt", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "animationmenu", "animbutbegin");
        d.OpenFolder(d.PathOf("inner"));
        QCOMPARE(d.Rows("optfile"), QStringList{"OTHER.opt"});
        for (const char* button : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin"}) {
            QCOMPARE(d.Caption(button), QStringLiteral("SCAN"));
            QVERIFY(!d.Enabled(button));
        }
        QVERIFY(!d.Enabled("extracttexmenu"));
        d.Trigger("illuminationmenu");
        QVERIFY(!d.Enabled("extracttexmenu"));
        // A click on the stale set list cannot arm a button without a file.
        d.Trigger("animationmenu");
        d.ClickRow("animtexturesetlist", 0);
        QVERIFY(!d.Enabled("animbutbegin"));
        QVERIFY(d.messages.isEmpty());
        d.OpenFolder(d.Folder()); // and back up
        QCOMPARE(d.Rows("optfile"), QStringList{"SHIP.OPT"});
    }

    void driveChangeMovesToItsRootAndDisarms()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ClickFile("SHIP.OPT");
        auto* drives = d.Find<QComboBox>("optdrive");
        int other = -1;
        for (int i = 0; i < drives->count(); ++i) {
            const QString root = drives->itemData(i).toString();
            if (i != drives->currentIndex() && QFileInfo(root).isReadable()) {
                other = i;
            }
        }
        if (other < 0) {
            QSKIP("this machine has a single drive");
        }
        drives->setCurrentIndex(other);
        QCOMPARE(d.Find<QObject>("optdirectory")->property("path").toString(),
                 QDir::cleanPath(drives->itemData(other).toString()));
        QVERIFY(!d.Enabled("illumbutbegin"));
        QVERIFY(!d.Enabled("extracttexmenu"));
        QVERIFY(d.messages.isEmpty());
    }

    void unreadableFolderIsReportedAndThePreviousKept()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        QDir(d.Folder()).mkdir(QStringLiteral("vanishing"));
        d.Open();
        d.ClickFile("SHIP.OPT");
        QDir(d.Folder()).rmdir(QStringLiteral("vanishing"));
        d.OpenFolder(d.PathOf("vanishing"));
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(d.messages.front().text.contains(QStringLiteral("vanishing")));
        QCOMPARE(d.Find<QObject>("optdirectory")->property("path").toString(), QDir(d.Folder()).canonicalPath());
        QCOMPARE(d.SelectedRows("optfile"), QStringList{"SHIP.OPT"});
        QVERIFY(d.Enabled("illumbutbegin"));
    }
};

QTEST_MAIN(WorkflowTest)
#include "WorkflowTest.moc"
