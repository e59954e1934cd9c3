#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace lathwork::app {

// Files dropped anywhere on the window. A drag that carries local files is taken over from
// every control, text boxes included, so that a dropped model is opened rather than pasted as
// text; the first file is handed to open once the drop has finished (a message box inside the
// drop would hold the file manager that started the drag).
class ModelDrops : public QObject {
    Q_OBJECT
public:
    ModelDrops(QWidget* window, std::function<void(const QString&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> open_;
};

} // namespace lathwork::app
