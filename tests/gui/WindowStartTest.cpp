// The window as it opens: every control, its caption, range, value and state.
#include "support/WindowDriver.hpp"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolBar>

namespace {

// A caption as the user reads it: the mnemonic's marker is not shown.
QString Shown(QString text) { return text.remove(QLatin1Char('&')); }

} // namespace

class WindowStartTest : public QObject {
    Q_OBJECT
private slots:
    void windowIsNamedAndCaptioned()
    {
        WindowDriver d;
        LathworkWindow& w = d.Open();
        QCOMPARE(w.objectName(), QStringLiteral("lathwork"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Lathwork v1.8"));
        QCOMPARE(w.centralWidget()->size(), QSize(727, 488));
        QCOMPARE(d.Find<QWidget>("bmpdisplay")->size(), QSize(256, 256));
        QVERIFY(!d.Find<QWidget>("bmpholder")->isVisible());
    }

    void menusHoldTheModesUncheckedAndExtractDisabled()
    {
        WindowDriver d;
        d.Open();
        QCOMPARE(Shown(d.Find<QMenu>("modifymenu")->title()), QStringLiteral("Modify"));
        QCOMPARE(Shown(d.Find<QMenu>("extrasmenu")->title()), QStringLiteral("Extras"));
        const char* items[] = {"transparencymenu", "animationmenu", "cloakingmenu", "illuminationmenu"};
        const QStringList texts{"Transparency", "Animation", "Cloaking", "Illumination"};
        QList<QAction*> inMenu = d.Find<QMenu>("modifymenu")->actions();
        for (int i = 0; i < 4; ++i) {
            auto* item = d.Find<QAction>(items[i]);
            QCOMPARE(Shown(item->text()), texts[i]);
            QVERIFY(item->isCheckable());
            QVERIFY(!item->isChecked());
            QCOMPARE(inMenu.at(i), item);
        }
        QCOMPARE(Shown(d.Find<QAction>("extracttexmenu")->text()), QStringLiteral("Extract Textures"));
        QVERIFY(!d.Enabled("extracttexmenu"));
        const QList<QAction*> buttons = d.Find<QToolBar>("imagemenu")->actions();
        QCOMPARE(buttons.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(buttons.at(i)->text(), texts[i]);
            QVERIFY(buttons.at(i)->isCheckable());
            QVERIFY(!buttons.at(i)->isChecked());
        }
    }

    void modeButtonsReadScanAndAreDisabled()
    {
        WindowDriver d;
        d.Open();
        for (const char* button : {"illumbutbegin", "transbutbegin", "animbutbegin", "cloakbutbegin"}) {
            QCOMPARE(d.Caption(button), QStringLiteral("SCAN"));
            QVERIFY(!d.Enabled(button));
            QVERIFY(d.Find<QWidget>(button)->font().bold());
        }
    }

    void framesStackWithTransparencyInFront()
    {
        WindowDriver d;
        d.Open();
        auto* intro = d.Find<QGroupBox>("introframe");
        QCOMPARE(intro->title(), QStringLiteral("Editing Window"));
        const QStringList names{"illuminationframe", "animationframe", "cloakingframe", "transparencyframe"};
        const QStringList captions{"Illumination", "Animation", "Cloaking", "Transparency"};
        for (int i = 0; i < 4; ++i) {
            auto* frame = d.Find<QGroupBox>(names[i].toLatin1().constData());
            QCOMPARE(frame->title(), captions[i]);
            QCOMPARE(frame->geometry(), intro->geometry());
        }
        auto* front = d.Find<QGroupBox>("transparencyframe");
        QVERIFY(front->isVisible());
        QCOMPARE(front->parentWidget()->childAt(intro->geometry().center()) == front ||
                     front->isAncestorOf(front->parentWidget()->childAt(intro->geometry().center())),
                 true);
    }

    void statusTextureNameAndPreviewStartAsDescribed()
    {
        WindowDriver d;
        d.Open();
        QCOMPARE(d.Status(), QStringLiteral("Select OPT from directory, then press SCAN\n"));
        QCOMPARE(d.Find<QLabel>("texdisplayed")->text(), QStringLiteral("v1.8"));
        QVERIFY(!d.Find<QLabel>("bmpdisplay")->pixmap().isNull());
        QCOMPARE(d.Find<QLabel>("bmpdisplay")->pixmap().size(), QSize(256, 256));
        for (const char* hidden : {"zoomadjuster", "zoomdistance", "highshippic", "lowshippic"}) {
            auto* control = d.Window().findChild<QWidget*>(QString::fromLatin1(hidden));
            QVERIFY(control == nullptr || !control->isVisible());
        }
        for (const char* view : {"lightingrowbar", "previewresult", "previewzoom"}) { // the picture is no texture
            QVERIFY2(!d.Enabled(view), view);
        }
    }

    void colourControlsStartAsDescribed()
    {
        WindowDriver d;
        d.Open();
        for (const QString& prefix : {QStringLiteral("illum"), QStringLiteral("trans")}) {
            const auto name = [&](const char* role) { return (prefix + QLatin1String(role)).toLatin1(); };
            auto* bar = d.Find<QScrollBar>(name("colortolerancebar").constData());
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 255);
            QCOMPARE(bar->value(), 32);
            QCOMPARE(bar->singleStep(), 1);
            QCOMPARE(bar->pageStep(), 1);
            QCOMPARE(d.Find<QLineEdit>(name("colortolerancebox").constData())->text(), QStringLiteral("32"));
            QCOMPARE(d.Find<QWidget>(name("tintdisplay").constData())->palette().color(QPalette::Window),
                     QColor(128, 128, 128));
            QCOMPARE(d.Find<QLineEdit>(name("tinttext").constData())->text(), QString());
            auto* entire = d.Find<QRadioButton>(name("custompickoff").constData());
            auto* custom = d.Find<QRadioButton>(name("custompickon").constData());
            QCOMPARE(entire->text(), QStringLiteral("Entire texture"));
            QCOMPARE(custom->text(), QStringLiteral("Custom select"));
            QVERIFY(entire->isChecked());
            QVERIFY(!custom->isChecked());
            QCOMPARE(d.Caption(name("removecolor").constData()), QStringLiteral("Remove selected"));
            QVERIFY(!d.Enabled(name("removecolor").constData()));
            for (const char* list : {"redtintbox", "greentintbox", "bluetintbox", "texturelist"}) {
                QCOMPARE(d.Find<QListWidget>(name(list).constData())->count(), 0);
            }
            QCOMPARE(d.Find<QListWidget>(name("texturelist").constData())->selectionMode(),
                     QAbstractItemView::MultiSelection);
            QCOMPARE(d.Caption(name("selalltextures").constData()), QStringLiteral("Select all"));
            QCOMPARE(d.Caption(name("deselalltextures").constData()), QStringLiteral("Deselect all"));
        }
        auto* opacity = d.Find<QScrollBar>("transopacitybar");
        QCOMPARE(opacity->minimum(), 0);
        QCOMPARE(opacity->maximum(), 255);
        QCOMPARE(opacity->value(), 111);
        QCOMPARE(d.Find<QLineEdit>("transopacitybox")->text(), QStringLiteral("111"));
        QCOMPARE(d.Find<QWidget>("transopacitydisplay")->palette().color(QPalette::Window), QColor(144, 144, 144));
    }

    void animationAndCloakingControlsStartAsDescribed()
    {
        WindowDriver d;
        d.Open();
        QCOMPARE(d.Find<QListWidget>("animtexturesetlist")->selectionMode(), QAbstractItemView::MultiSelection);
        QCOMPARE(d.Find<QListWidget>("animtexturelist")->selectionMode(), QAbstractItemView::SingleSelection);
        for (const char* box : {"cloakhighvisdistance", "cloaklowvisdistance"}) {
            QCOMPARE(d.Find<QLineEdit>(box)->text(), QStringLiteral("never"));
            QVERIFY(!d.Enabled(box));
        }
        const std::pair<const char*, const char*> labels[] = {
            {"Label1", "Distance (KM) *.opt disappears"}, {"Label2", "Location of *.opt"},
            {"Label3", "Textures in selected *.opt"},     {"Label4", "Textures in selected *.opt"},
            {"Label5", "Similarity tolerance"},           {"Label6", "Textures in selected texture set"},
            {"Label7", "Texture sets in selected *.opt"}, {"Label8", "Texture opacity"},
            {"Label9", "Similarity tolerance"}};
        for (const auto& [name, text] : labels) {
            QCOMPARE(d.Find<QLabel>(name)->text(), QString::fromLatin1(text));
        }
    }

    void chooserStartsInTheCurrentFolderListingOnlyOptFiles()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", lathwork::testkit::SimpleModel({}));
        d.WriteOpt("small.opt", lathwork::testkit::SimpleModel({}));
        d.WriteBytes("TEX00001.BMP", {1, 2, 3});
        d.WriteBytes("notes.optx", {1});
        d.Open();
        QCOMPARE(d.Find<QObject>("optdirectory")->property("path").toString(), QDir(d.Folder()).canonicalPath());
        QCOMPARE(d.Rows("optfile"), (QStringList{"SHIP.OPT", "small.opt"}));
        QVERIFY(d.SelectedRows("optfile").isEmpty());
        QVERIFY(d.Find<QComboBox>("optdrive")->count() > 0);
    }
};

QTEST_MAIN(WindowStartTest)
#include "WindowStartTest.moc"
