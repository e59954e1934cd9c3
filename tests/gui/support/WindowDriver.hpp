#pragma once

#include "app/Feedback.hpp"
#include "app/LathworkWindow.hpp"
#include "testkit/OptBuilder.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QListWidget>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Drives the window as a user would: controls are found by their names and clicked. Each
// driver works in a fresh temporary folder that is the window's starting folder, and answers
// message boxes by recording them.
class WindowDriver {
public:
    WindowDriver();
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    // Writes an OPT into the folder; call before the window is opened to see it listed, or
    // call Refresh() afterwards.
    lathwork::testkit::BuiltModel WriteOpt(const QString& name, const lathwork::testkit::ModelShape& tree);
    void WriteBytes(const QString& name, const lathwork::testkit::Bytes& bytes);
    lathwork::testkit::Bytes ReadBytes(const QString& name) const;
    QString Folder() const { return folder_.path(); }
    QString PathOf(const QString& name) const;
    // The names of every file in the folder, sorted.
    QStringList FolderFiles() const;

    // Opens the window (shown, offscreen) in the folder.
    LathworkWindow& Open();
    LathworkWindow& Window() { return *window_; }

    template <typename T>
    T* Find(const char* name)
    {
        T* found = window_->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no control named %s", name);
        }
        return found;
    }

    void Click(const char* button);
    void Trigger(const char* action);
    // Clicks the toolbar button at index 0..3 (Transparency, Animation, Cloaking, Illumination).
    void ClickToolbar(int index);
    void ClickRow(const char* list, int row, Qt::KeyboardModifiers modifiers = {});
    // Presses on row from, moves over the rows to row to, and releases there.
    void DragRows(const char* list, int from, int to);
    // A key pressed on a control, which gets the focus first.
    void Key(const char* control, int key, Qt::KeyboardModifiers modifiers = {});
    void ClickFile(const QString& name);
    // Moves the folder list to folder as a user double-clicking it would.
    void OpenFolder(const QString& folder);
    // Re-reads the folder (a folder change back and forth).
    void Refresh();

    // Choose a file, switch to a mode and press SCAN.
    void ScanIn(const QString& file, const char* modeMenu, const char* button);

    // The picture a pane (bmpdisplay, bmpholder) holds, in picture coordinates.
    QImage Picture(const char* pane);
    // Pointer movement over the preview, and a click there (the pick). ClickPreview clicks
    // where the pointer last moved to.
    void MoveOver(int x, int y);
    void PickAt(int x, int y);
    void ClickPreview();
    // Types text into a box as a user would (replacing what it holds), and leaves it.
    void Type(const char* box, const QString& text);
    void LeaveBox(const char* box);

    QString Status();
    QString Caption(const char* button);
    bool Enabled(const char* control);
    QStringList Rows(const char* list);
    QStringList SelectedRows(const char* list);

    QList<lathwork::app::Message> messages;
    int beeps = 0;

private:
    QTemporaryDir folder_;
    QString previousCurrent_;
    std::unique_ptr<LathworkWindow> window_;
    QPoint pointer_{1, 1};
};

// The 8 stored bytes of a name as a list keeps them.
QByteArray StoredName(const char* name);
