// How long the window's user actions keep its event loop from running, on a model of 8,000
// textures, and Select all on 30,000 rows. Runs offscreen; message boxes are answered at once.
#include "BenchModels.hpp"

#include "app/Feedback.hpp"
#include "app/LathworkWindow.hpp"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace {

// The longest stretch, in ms, in which a 1 ms timer could not fire while action ran and for
// settleMs after (what the action sets off later, such as the folder watcher's reread).
double LongestBlock(const std::function<void()>& action, int settleMs = 2)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        tick.start();
        action();
        // One more tick after the action measures its own last stretch.
        QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
    });
    loop.exec();
    return static_cast<double>(longest) / 1e6;
}

template <typename T>
T* Named(LathworkWindow& window, const char* name)
{
    return window.findChild<T*>(QString::fromLatin1(name));
}

void UserActionsAt8000Textures(benchmark::State& state)
{
    lathwork::app::SetMessageHook([](const lathwork::app::Message&) {});
    lathwork::app::SetBeepHook([] {});
    const auto model = lathwork::bench::ModelFile(8000);
    for (auto _ : state) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("BIG.OPT"));
        QFile::copy(QString::fromStdString(model.string()), path);
        QDir::setCurrent(folder.path()); // where Extract writes its pictures
        LathworkWindow window;
        window.show();
        const struct {
            const char* counter;
            std::function<void()> action;
        } actions[] = {
            {"open_ms", [&] { window.OpenModel(path); }},
            {"mode_ms", [&] { Named<QAction>(window, "illuminationmenu")->trigger(); }},
            {"scan_ms", [&] { Named<QPushButton>(window, "illumbutbegin")->click(); }},
            {"preview_ms", [&] { Named<QListWidget>(window, "illumtexturelist")->setCurrentRow(0); }},
            {"select_all_ms", [&] { Named<QPushButton>(window, "illumselalltextures")->click(); }},
            {"begin_ms", [&] { Named<QPushButton>(window, "illumbutbegin")->click(); }},
            {"undo_ms", [&] { Named<QAction>(window, "undomenu")->trigger(); }},
            {"redo_ms", [&] { Named<QAction>(window, "redomenu")->trigger(); }},
            {"extract_ms", [&] { Named<QAction>(window, "extracttexmenu")->trigger(); }},
            {"set_scan_ms", [&] {
                 Named<QAction>(window, "animationmenu")->trigger();
                 Named<QPushButton>(window, "animbutbegin")->click();
             }},
            {"set_textures_ms", [&] { Named<QListWidget>(window, "animtexturesetlist")->setCurrentRow(0); }},
        };
        double worst = 0;
        for (const auto& a : actions) {
            const double blocked = LongestBlock(a.action);
            state.counters[a.counter] = blocked;
            worst = std::max(worst, blocked);
        }
        state.counters["worst_block_ms"] = worst; // target: at most 100
    }
}

// A BEGIN on a small model in a folder holding 30,000 other files: the save and the reread of
// the file list it sets off must not hold the window.
void BeginAmong30000OtherFiles(benchmark::State& state)
{
    lathwork::app::SetMessageHook([](const lathwork::app::Message&) {});
    lathwork::app::SetBeepHook([] {});
    QTemporaryDir folder;
    for (int i = 0; i < 30000; ++i) {
        QFile other(folder.filePath(QStringLiteral("frame%1.png").arg(i)));
        other.open(QIODevice::WriteOnly);
    }
    const QString path = folder.filePath(QStringLiteral("SHIP.OPT"));
    QFile::copy(QString::fromStdString(lathwork::bench::ModelFile(200).string()), path);
    LathworkWindow window;
    window.show();
    window.OpenModel(path);
    Named<QAction>(window, "illuminationmenu")->trigger();
    auto* begin = Named<QPushButton>(window, "illumbutbegin");
    begin->click(); // SCAN
    Named<QPushButton>(window, "illumselalltextures")->click();
    for (auto _ : state) {
        state.counters["begin_and_reread_ms"] = LongestBlock([&] { begin->click(); }, 500); // target: at most 100
        Named<QAction>(window, "undomenu")->trigger();
    }
}

void SelectAllAt30000Rows(benchmark::State& state)
{
    LathworkWindow window;
    window.show();
    Named<QAction>(window, "illuminationmenu")->trigger();
    auto* list = Named<QListWidget>(window, "illumtexturelist");
    for (int row = 0; row < 30000; ++row) {
        list->addItem(QStringLiteral("TEX%1").arg(row, 5, 10, QLatin1Char('0')));
    }
    auto* selectAll = Named<QPushButton>(window, "illumselalltextures");
    auto* deselectAll = Named<QPushButton>(window, "illumdeselalltextures");
    selectAll->click();
    if (list->selectedItems().size() != 30000) {
        state.SkipWithError("Select all did not select every row");
        return;
    }
    deselectAll->click();
    for (auto _ : state) {
        selectAll->click(); // target: under 200 ms
        state.PauseTiming();
        deselectAll->click();
        state.ResumeTiming();
    }
}

BENCHMARK(UserActionsAt8000Textures)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BeginAmong30000OtherFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(SelectAllAt30000Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
