#include "app/ModelDrops.hpp"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace lathwork::app {

namespace {

// The first local file a drag carries, or empty.
QString FirstLocalFile(const QMimeData* data)
{
    if (data == nullptr) {
        return {};
    }
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

} // namespace

ModelDrops::ModelDrops(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), open_(std::move(open))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (control->acceptDrops()) {
            control->installEventFilter(this);
        }
    }
}

bool ModelDrops::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = FirstLocalFile(drop->mimeData());
    // Never answer a move: the file manager would delete the model it thinks was moved.
    const Qt::DropActions offered = drop->possibleActions();
    const Qt::DropAction action = offered.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                  : offered.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                     : Qt::IgnoreAction;
    if (file.isEmpty() || action == Qt::IgnoreAction) {
        return QObject::eventFilter(watched, event);
    }
    drop->setDropAction(action);
    drop->accept();
    if (type == QEvent::Drop) {
        QTimer::singleShot(0, this, [this, file] { open_(file); });
    }
    return true;
}

} // namespace lathwork::app
