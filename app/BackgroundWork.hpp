#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <vector>

class QProgressBar;
class QWidget;

namespace lathwork::app {

// Runs a long call of the core on a worker thread while the window stays responsive. Run
// returns only when the call is over, so a handler carries on exactly as if it had made the
// call itself; what the call threw is thrown again on the GUI thread. A call that ends within
// ShowAfter() never lets an event through: small files behave as a plain call would. A longer
// one disables the given controls, shows a busy bar and runs the event loop until it ends.
class BackgroundWork : public QObject {
    Q_OBJECT
public:
    // window holds the busy bar; controls are disabled while a long call runs.
    BackgroundWork(QWidget* window, std::vector<QWidget*> controls);
    ~BackgroundWork() override;

    void Run(const std::function<void()>& work);
    bool Busy() const { return busy_; }

    static std::chrono::milliseconds ShowAfter();
    static void SetShowAfter(std::chrono::milliseconds wait);

signals:
    // A long call began: the controls are disabled and the bar shows; no event has run yet.
    void waiting();
    // The long call ended and the controls are enabled again.
    void settled();

private:
    void PlaceBar();

    QWidget* window_;
    std::vector<QPointer<QWidget>> controls_;
    QProgressBar* bar_;
    bool busy_ = false;
};

} // namespace lathwork::app
