// Select all as one range, and BEGIN, Undo and Redo run as long calls off the GUI thread.
#include "app/BackgroundWork.hpp"
#include "support/Models.hpp"
#include "support/WindowDriver.hpp"

#include <QItemSelectionModel>

using lathwork::app::BackgroundWork;
using namespace std::chrono_literals;

class LongWorkTest : public QObject {
    Q_OBJECT
private slots:
    void selectAllMakesOneRange()
    {
        WindowDriver d;
        d.WriteOpt("SHIP.OPT", models::Mixed());
        d.Open();
        d.ScanIn("SHIP.OPT", "illuminationmenu", "illumbutbegin");
        auto* list = d.Find<QListWidget>("illumtexturelist");
        d.ClickRow("illumtexturelist", 1, Qt::ControlModifier);
        d.Click("illumselalltextures");
        QCOMPARE(list->selectionModel()->selection().size(), 1);
        QCOMPARE(d.SelectedRows("illumtexturelist"), d.Rows("illumtexturelist"));
        d.Click("illumdeselalltextures");
        QVERIFY(!list->selectionModel()->hasSelection());
    }

    // The same BEGIN, Undo and Redo as a plain call and as a long one write the same bytes; while
    // the long one runs its controls are disabled and nothing starts a second call.
    void longCallsWriteWhatPlainCallsWrite()
    {
        std::vector<lathwork::testkit::Bytes> results[2];
        for (const bool longCalls : {false, true}) {
            // Every call long, or every call plain however busy the machine is.
            BackgroundWork::SetShowAfter(longCalls ? 0ms : std::chrono::milliseconds(3600s));
            WindowDriver d;
            d.WriteOpt("SHIP.OPT", models::Mixed());
            LathworkWindow& window = d.Open();
            int waits = 0;
            d.ScanIn("SHIP.OPT", "transparencymenu", "transbutbegin");
            d.ClickRow("transtexturelist", 0);
            const auto during = [&] {
                ++waits;
                QVERIFY(!d.Enabled("transbutbegin") && !d.Enabled("undomenu"));
                d.Click("transbutbegin");
                d.Trigger("undomenu");
            };
            d.Click("transbutbegin"); // the first long call makes the window's runner
            auto* background = window.findChild<BackgroundWork*>();
            QVERIFY(background != nullptr);
            QObject::connect(background, &BackgroundWork::waiting, &window, during);
            results[longCalls].push_back(d.ReadBytes("SHIP.OPT"));
            for (const char* step : {"undomenu", "redomenu", "undomenu"}) {
                d.Trigger(step);
                results[longCalls].push_back(d.ReadBytes("SHIP.OPT"));
            }
            // A call may still end before the first look at it: some, not all, are long.
            QCOMPARE(waits > 0, longCalls);
            QCOMPARE(d.Status(), QStringLiteral("Undone: the file holds again what it held before that BEGIN."));
        }
        BackgroundWork::SetShowAfter(30ms);
        QCOMPARE(results[1], results[0]);
        QVERIFY(results[0][0] != results[0][1]);
    }
};

QTEST_MAIN(LongWorkTest)
#include "LongWorkTest.moc"
