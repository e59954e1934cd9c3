// The window at sizes other than its start size, resized as a user would.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QLabel>
#include <QLineEdit>

#include <map>

namespace {

const char* const kGrowing[] = {"optdirectory", "optfile", "transtexturelist", "bmpdisplay"};
const char* const kCompact[] = {"transredtintbox", "transgreentintbox", "transbluetintbox", "transtintdisplay"};

std::map<QString, QRect> Geometries(WindowDriver& d)
{
    std::map<QString, QRect> geometries;
    for (QWidget* widget : d.Window().findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty() && widget->isVisible()) {
            geometries[widget->objectName()] = QRect(widget->mapTo(&d.Window(), QPoint(0, 0)), widget->size());
        }
    }
    return geometries;
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void theListsAndThePaneShareTheGrowthAndTheColourListsStayCompact()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
        const auto start = Geometries(d);
        for (const char* channel : {"red", "green", "blue"}) {
            const QByteArray list = QByteArray("trans") + channel + "tintbox";
            const QRect heading = start.at(QString::fromLatin1(list + "heading"));
            QCOMPARE(d.Find<QLabel>((list + "heading").constData())->text(), QString(QChar(channel[0]).toUpper()));
            QVERIFY(start.at(QString::fromLatin1(list)).contains(heading));
        }

        d.Window().resize(d.Window().size() + QSize(300, 200));
        QTRY_COMPARE(d.Find<QWidget>("bmpdisplay")->size(), QSize(256 + 150, 256 + 100));
        QTRY_COMPARE(d.Find<QWidget>("transtexturelist")->height(), start.at("transtexturelist").height() + 100);
        const auto grown = Geometries(d);
        const auto by = [&](const char* name) { return grown.at(name).size() - start.at(name).size(); };
        for (const char* name : kGrowing) {
            QVERIFY2(by(name).height() == 100, name);
        }
        QVERIFY(qAbs(by("transtexturelist").width() - 150) <= 1);
        QCOMPARE(by("optdirectory").width() + by("optfile").width(), 150);
        for (const char* name : kCompact) {
            QCOMPARE(grown.at(name).size(), start.at(name).size());
        }

        // The cloaking scene is centred, and a drag reads the scale where the user sees it.
        d.ScanIn("SHIP.OPT", "cloakingmenu", "cloakbutbegin");
        for (const char* control : {"lightingrowbar", "previewresult", "previewzoom"}) {
            QVERIFY2(!d.Enabled(control), control);
        }
        auto* pane = d.Find<QLabel>("bmpdisplay");
        const QPoint origin(75, 50);
        const QImage shown = pane->grab().toImage();
        const QImage backdrop = pane->pixmap().toImage();
        for (const QPoint p : {QPoint(0, 0), QPoint(128, 6), QPoint(255, 255)}) {
            QCOMPARE(shown.pixelColor(origin + p), backdrop.pixelColor(p));
        }
        auto* ship = d.Find<QLabel>("highshippic");
        QCOMPARE(ship->pos(), origin + QPoint(232, 104));
        QTest::mousePress(ship, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseMove(pane, origin + QPoint(58, 110));
        QTest::mouseRelease(pane, Qt::LeftButton, {}, origin + QPoint(58, 110));
        QCOMPARE(d.Find<QLineEdit>("cloakhighvisdistance")->text(), QStringLiteral("0.5"));

        // Back at the start size, everything shown is where it was.
        d.Trigger("transparencymenu");
        d.Window().resize(d.Window().size() - QSize(300, 200));
        QTRY_COMPARE(d.Find<QWidget>("bmpdisplay")->size(), QSize(256, 256));
        QTRY_COMPARE(d.Find<QWidget>("transtexturelist")->size(), start.at("transtexturelist").size());
        QCOMPARE(Geometries(d), start);
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
