#include "app/BackgroundWork.hpp"

#include <QAction>
#include <QEventLoop>
#include <QProgressBar>
#include <QThread>
#include <QWidget>

#include <exception>
#include <memory>
#include <utility>

namespace lathwork::app {

namespace {

// Short enough that a wait is not felt, long enough that small files never reach the loop.
std::chrono::milliseconds showAfter{30};

} // namespace

BackgroundWork::BackgroundWork(QWidget* window, std::vector<QWidget*> controls)
    : QObject(window), window_(window), bar_(new QProgressBar(window))
{
    for (QWidget* control : controls) {
        controls_.emplace_back(control);
    }
    bar_->setObjectName(QStringLiteral("busyprogress"));
    bar_->setRange(0, 0); // no measure of how far the core is: a moving bar
    bar_->setTextVisible(false);
    bar_->hide();
}

BackgroundWork::~BackgroundWork() = default;

std::chrono::milliseconds BackgroundWork::ShowAfter() { return showAfter; }

void BackgroundWork::SetShowAfter(std::chrono::milliseconds wait) { showAfter = wait; }

void BackgroundWork::PlaceBar()
{
    const int height = bar_->sizeHint().height();
    bar_->setGeometry(0, window_->height() - height, window_->width(), height);
    bar_->raise();
}

void BackgroundWork::Run(const std::function<void()>& work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->wait(QDeadlineTimer(showAfter))) {
        busy_ = true;
        // The actions too: their shortcuts would otherwise still reach them.
        std::vector<QPointer<QObject>> disabled;
        for (const auto& control : controls_) {
            if (control && control->isEnabled()) {
                control->setEnabled(false);
                disabled.emplace_back(control.data());
            }
        }
        const auto actions = window_->findChildren<QAction*>();
        for (QAction* action : actions) {
            if (action->isEnabled()) {
                action->setEnabled(false);
                disabled.emplace_back(action);
            }
        }
        PlaceBar();
        bar_->show();
        emit waiting();
        // The finished signal is queued: it reaches this loop even when the thread ended
        // before the loop started.
        if (!worker->isFinished()) {
            loop.exec(QEventLoop::ExcludeSocketNotifiers);
        }
        worker->wait();
        bar_->hide();
        for (const auto& object : disabled) {
            if (auto* control = qobject_cast<QWidget*>(object.data())) {
                control->setEnabled(true);
            } else if (auto* action = qobject_cast<QAction*>(object.data())) {
                action->setEnabled(true);
            }
        }
        busy_ = false;
        emit settled();
    }
    worker.reset();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace lathwork::app
