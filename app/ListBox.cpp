#include "app/ListBox.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>

namespace lathwork::app {

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::currentRowChanged, this, &ListBox::Noted);
    connect(this, &QListWidget::itemSelectionChanged, this, &ListBox::Noted);
    connect(this, &QListWidget::itemClicked, this, &ListBox::Noted);
}

void ListBox::AsOneAction(const std::function<void()>& change)
{
    ++depth_;
    change();
    --depth_;
    pending_ = true;
    if (depth_ == 0) {
        Report();
    }
}

void ListBox::Quietly(const std::function<void()>& change)
{
    ++quiet_;
    change();
    --quiet_;
}

int ListBox::SelectedRow() const
{
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected()) {
            return row;
        }
    }
    return -1;
}

void ListBox::SelectOnly(int row)
{
    if (row < 0 || row >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void ListBox::SetHeading(const QString& text)
{
    if (heading_ == nullptr) {
        heading_ = new QLabel(this);
        heading_->setObjectName(objectName() + QStringLiteral("heading"));
        heading_->setAlignment(Qt::AlignCenter);
        heading_->setStyleSheet(QStringLiteral("background: palette(button); border-bottom: 1px solid palette(mid);"));
    }
    heading_->setText(text);
    setViewportMargins(0, heading_->fontMetrics().height() + 2, 0, 0);
    heading_->show();
}

void ListBox::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    if (heading_ != nullptr) {
        // Over the viewport, which the margin has moved down by the heading's height.
        const QRect rows = viewport()->geometry();
        const int height = heading_->fontMetrics().height() + 2;
        heading_->setGeometry(rows.x(), rows.y() - height, rows.width(), height);
    }
}

bool ListBox::event(QEvent* event)
{
    return Handle(event, [&] { return QListWidget::event(event); });
}

bool ListBox::viewportEvent(QEvent* event)
{
    return Handle(event, [&] { return QListWidget::viewportEvent(event); });
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // In a list where every click toggles one row, Qt's Shift+arrows only move the focus; here
    // they also select each row they move onto, so the selection grows as the keys are held.
    if (selectionMode() == MultiSelection && event != nullptr && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool move = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                          key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown ||
                          key->key() == Qt::Key_Home || key->key() == Qt::Key_End;
        if (move && key->modifiers().testFlag(Qt::ShiftModifier)) {
            return QItemSelectionModel::Select;
        }
    }
    return QListWidget::selectionCommand(index, event);
}

bool ListBox::Handle(QEvent* event, const std::function<bool()>& deliver)
{
    const QEvent::Type type = event->type();
    ++depth_;
    const bool result = deliver();
    --depth_;
    if (depth_ > 0) {
        return result;
    }
    // A drag is one action: what it selects on the way is reported at the release.
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        held_ = true;
    }
    if (QGuiApplication::mouseButtons() == Qt::NoButton || type == QEvent::Hide) {
        held_ = false;
    }
    if (!held_) {
        Report();
    }
    return result;
}

void ListBox::Noted()
{
    if (quiet_ > 0) {
        return;
    }
    pending_ = true;
    if (depth_ == 0 && !held_) {
        Report(); // changed from outside any event of the list
    }
}

void ListBox::Report()
{
    if (!pending_) {
        return;
    }
    pending_ = false;
    emit actionDone();
}

} // namespace lathwork::app
