#pragma once

#include <QListWidget>

#include <functional>

class QLabel;

namespace lathwork::app {

// A list box that reports every user action which changed its selection or current row, or
// clicked an item, exactly once and only when the action is over: a click, a Ctrl- or
// Shift-click, a drag from press to release, a key (Space, arrows, Ctrl+A, a letter), a focus
// change. Qt itself signals one such action several times (current row, selection, click),
// and some of them halfway through; the window's list rules run on the single report instead.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    // The changes made by change count as one action, reported once afterwards even when they
    // changed nothing (Select all, Deselect all).
    void AsOneAction(const std::function<void()>& change);
    // The changes made by change are never reported: the window's own fills and resets.
    void Quietly(const std::function<void()>& change);

    // The first selected row, or -1.
    int SelectedRow() const;
    // Selects row alone and makes it current; -1 clears the selection.
    void SelectOnly(int row);

    // A heading over the rows, inside the list's frame: the rows start below it. The heading
    // is a label named after the list with "heading" appended.
    void SetHeading(const QString& text);

signals:
    void actionDone();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    bool Handle(QEvent* event, const std::function<bool()>& deliver);
    void Noted();
    void Report();

    int depth_ = 0;       // events of this list being handled, nested
    int quiet_ = 0;
    bool pending_ = false; // a change not yet reported
    bool held_ = false;    // a mouse button went down on the list and is still down
    QLabel* heading_ = nullptr;
};

} // namespace lathwork::app
