#include "support/WindowDriver.hpp"

#include "app/FileChooser.hpp"
#include "app/PreviewPane.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QWidget>

WindowDriver::WindowDriver() : previousCurrent_(QDir::currentPath())
{
    if (!folder_.isValid()) {
        qFatal("cannot make a temporary folder");
    }
    lathwork::app::SetMessageHook([this](const lathwork::app::Message& message) { messages.push_back(message); });
    lathwork::app::SetBeepHook([this] { ++beeps; });
}

WindowDriver::~WindowDriver()
{
    window_.reset();
    lathwork::app::SetMessageHook({});
    lathwork::app::SetBeepHook({});
    QDir::setCurrent(previousCurrent_);
}

lathwork::testkit::BuiltModel WindowDriver::WriteOpt(const QString& name, const lathwork::testkit::ModelShape& tree)
{
    lathwork::testkit::BuiltModel built = lathwork::testkit::Build(tree);
    WriteBytes(name, built.bytes);
    return built;
}

void WindowDriver::WriteBytes(const QString& name, const lathwork::testkit::Bytes& bytes)
{
    QFile file(PathOf(name));
    QFile::setPermissions(file.fileName(), QFile::ReadOwner | QFile::WriteOwner);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        qFatal("cannot write %s", qPrintable(file.fileName()));
    }
}

lathwork::testkit::Bytes WindowDriver::ReadBytes(const QString& name) const
{
    QFile file(PathOf(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("cannot read %s", qPrintable(file.fileName()));
    }
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

QString WindowDriver::PathOf(const QString& name) const { return QDir(folder_.path()).filePath(name); }

QStringList WindowDriver::FolderFiles() const
{
    return QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

LathworkWindow& WindowDriver::Open()
{
    QDir::setCurrent(folder_.path());
    window_ = std::make_unique<LathworkWindow>();
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowExposed(window_.get()) || !QTest::qWaitForWindowActive(window_.get())) {
        qFatal("the window was not shown");
    }
    return *window_;
}

void WindowDriver::Click(const char* button)
{
    auto* control = Find<QAbstractButton>(button);
    QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
}

void WindowDriver::Trigger(const char* action) { Find<QAction>(action)->trigger(); }

void WindowDriver::ClickToolbar(int index)
{
    auto* toolbar = Find<QToolBar>("imagemenu");
    QWidget* button = toolbar->widgetForAction(toolbar->actions().at(index));
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

void WindowDriver::ClickRow(const char* list, int row, Qt::KeyboardModifiers modifiers)
{
    auto* control = Find<QListWidget>(list);
    QListWidgetItem* item = control->item(row);
    if (item == nullptr) {
        qFatal("%s has no row %d", list, row);
    }
    control->scrollToItem(item);
    QTest::mouseClick(control->viewport(), Qt::LeftButton, modifiers, control->visualItemRect(item).center());
}

void WindowDriver::DragRows(const char* list, int from, int to)
{
    auto* control = Find<QListWidget>(list);
    const auto at = [&](int row) { return control->visualItemRect(control->item(row)).center(); };
    QTest::mousePress(control->viewport(), Qt::LeftButton, {}, at(from));
    for (int row = from; row != to; row += to > from ? 1 : -1) {
        QTest::mouseMove(control->viewport(), at(row + (to > from ? 1 : -1)));
    }
    QTest::mouseRelease(control->viewport(), Qt::LeftButton, {}, at(to));
}

void WindowDriver::Key(const char* control, int key, Qt::KeyboardModifiers modifiers)
{
    auto* widget = Find<QWidget>(control);
    widget->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
}

void WindowDriver::ClickFile(const QString& name)
{
    auto* files = Find<QListWidget>("optfile");
    const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        qFatal("%s is not listed", qPrintable(name));
    }
    ClickRow("optfile", files->row(found.front()));
}

void WindowDriver::OpenFolder(const QString& folder)
{
    auto* folders = Find<QListWidget>("optdirectory");
    for (int row = 0; row < folders->count(); ++row) {
        if (QDir::cleanPath(folders->item(row)->data(Qt::UserRole).toString()) == QDir::cleanPath(folder)) {
            QListWidgetItem* item = folders->item(row);
            folders->scrollToItem(item);
            const QPoint at = folders->visualItemRect(item).center();
            QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
            return;
        }
    }
    qFatal("%s is not in the folder list", qPrintable(folder));
}

void WindowDriver::Refresh()
{
    const QString here = Find<lathwork::app::FolderList>("optdirectory")->Path();
    OpenFolder(QFileInfo(here).absolutePath());
    OpenFolder(here);
}

void WindowDriver::ScanIn(const QString& file, const char* modeMenu, const char* button)
{
    ClickFile(file);
    Trigger(modeMenu);
    Click(button);
}

QImage WindowDriver::Picture(const char* pane) { return Find<lathwork::app::PreviewPane>(pane)->Picture(); }

void WindowDriver::MoveOver(int x, int y)
{
    // Sent directly: QTest takes the point (0, 0) for "the middle of the widget".
    QWidget* pane = Find<QWidget>("bmpdisplay");
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), pane->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pane, &move);
    pointer_ = QPoint(x, y);
}

void WindowDriver::PickAt(int x, int y)
{
    MoveOver(x, y);
    ClickPreview();
}

void WindowDriver::ClickPreview()
{
    QWidget* pane = Find<QWidget>("bmpdisplay");
    // Sent directly, as MoveOver: QTest would click the middle for (0, 0).
    const QPointF at(pointer_);
    QMouseEvent press(QEvent::MouseButtonPress, at, pane->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, pane->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(pane, &release);
}

void WindowDriver::Type(const char* box, const QString& text)
{
    auto* control = Find<QLineEdit>(box);
    control->setFocus();
    control->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(control, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(control, text);
    }
}

void WindowDriver::LeaveBox(const char* box)
{
    Find<QLineEdit>(box)->clearFocus();
}

QString WindowDriver::Status() { return Find<QPlainTextEdit>("textactions")->toPlainText(); }

QString WindowDriver::Caption(const char* button) { return Find<QAbstractButton>(button)->text(); }

bool WindowDriver::Enabled(const char* control)
{
    if (auto* action = window_->findChild<QAction*>(QString::fromLatin1(control))) {
        return action->isEnabled();
    }
    return Find<QWidget>(control)->isEnabled();
}

QStringList WindowDriver::Rows(const char* list)
{
    QStringList rows;
    auto* control = Find<QListWidget>(list);
    for (int row = 0; row < control->count(); ++row) {
        rows << control->item(row)->text();
    }
    return rows;
}

QStringList WindowDriver::SelectedRows(const char* list)
{
    QStringList rows;
    auto* control = Find<QListWidget>(list);
    for (int row = 0; row < control->count(); ++row) {
        if (control->item(row)->isSelected()) {
            rows << control->item(row)->text();
        }
    }
    return rows;
}

QByteArray StoredName(const char* name)
{
    QByteArray bytes(name);
    bytes.resize(8, '\0');
    return bytes;
}
