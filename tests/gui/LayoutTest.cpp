// The window at sizes other than its start size, resized as a user would.
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QLabel>
#include <QLineEdit>

#include <map>

namespace {

std::map<QString, QRect> Shown(WindowDriver& d)
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
        const auto start = Shown(d);
        QCOMPARE(d.Find<QLabel>("transredtintboxheading")->text() + d.Find<QLabel>("transgreentintboxheading")->text() +
                     d.Find<QLabel>("transbluetintboxheading")->text(),
                 QStringLiteral("RGB"));

        d.Window().resize(d.Window().size() + QSize(300, 200));
        QTRY_COMPARE(d.Find<QWidget>("transtexturelist")->height(), start.at("transtexturelist").height() + 100);
        const auto grown = Shown(d);
        const auto by = [&](const char* name) { return grown.at(name).size() - start.at(name).size(); };
        QCOMPARE(by("bmpdisplay"), QSize(150, 100));
        QVERIFY(qAbs(by("transtexturelist").width() - 150) <= 1);
        QCOMPARE(by("optdirectory").width() + by("optfile").width(), 150);
        QCOMPARE(by("optdirectory").height() + by("optfile").height(), 200);
        for (const char* compact : {"transredtintbox", "transgreentintbox", "transbluetintbox", "transtintdisplay"}) {
            QCOMPARE(by(compact), QSize(0, 0));
        }

        // The cloaking scene is centred, and a drag reads the scale where the user sees it.
        d.ScanIn("SHIP.OPT", "cloakingmenu", "cloakbutbegin");
        QVERIFY(!d.Enabled("lightingrowbar") && !d.Enabled("previewresult") && !d.Enabled("previewzoom"));
        auto* pane = d.Find<QLabel>("bmpdisplay");
        const QPoint origin(75, 50);
        for (const QPoint p : {QPoint(0, 0), QPoint(128, 6), QPoint(255, 255)}) {
            QCOMPARE(pane->grab().toImage().pixelColor(origin + p), pane->pixmap().toImage().pixelColor(p));
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
        QTRY_COMPARE(d.Find<QWidget>("transtexturelist")->size(), start.at("transtexturelist").size());
        QCOMPARE(Shown(d), start);
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
