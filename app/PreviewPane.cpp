#include "app/PreviewPane.hpp"

#include <QMouseEvent>
#include <QPixmap>

namespace lathwork::app {

PreviewPane::PreviewPane(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void PreviewPane::SetPicture(const QImage& picture)
{
    picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    setPixmap(picture_.isNull() ? QPixmap() : QPixmap::fromImage(picture_));
}

void PreviewPane::mouseMoveEvent(QMouseEvent* event)
{
    emit pointerMoved(event->position().toPoint());
    QLabel::mouseMoveEvent(event);
}

void PreviewPane::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void PreviewPane::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release of the left button on the pane.
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked(event->position().toPoint());
    }
}

} // namespace lathwork::app
