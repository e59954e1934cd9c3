// Long calls of the core off the GUI thread, and what waits for them: closing the window and
// the folder's changes.
#include "app/BackgroundWork.hpp"
#include "app/LathworkWindow.hpp"

#include <QCloseEvent>
#include <QMenuBar>

#include <utility>

lathwork::app::BackgroundWork* LathworkWindow::Background()
{
    if (background_ == nullptr) {
        background_ = new lathwork::app::BackgroundWork(this, {client_, menuBar()});
        connect(background_, &lathwork::app::BackgroundWork::settled, this, [this] {
            // What was put off runs once the handler that started the call is over.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (std::exchange(folderChangedMeanwhile_, false)) {
                        FolderContentChanged();
                    }
                    if (std::exchange(closeWanted_, false)) {
                        close();
                    }
                },
                Qt::QueuedConnection);
        });
    }
    return background_;
}

void LathworkWindow::InBackground(const std::function<void()>& work) { Background()->Run(work); }

bool LathworkWindow::WorkRunning() const { return background_ != nullptr && background_->Busy(); }

void LathworkWindow::closeEvent(QCloseEvent* event)
{
    if (WorkRunning()) {
        closeWanted_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
