#include "app/PreviewPane.hpp"

#include <QMouseEvent>
#include <QSignalBlocker>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace lathwork::app {

using rules::Extent;
using rules::Zoom;

PreviewPane::PreviewPane(QWidget* parent)
    : QLabel(parent), across_(new QScrollBar(Qt::Horizontal, this)), down_(new QScrollBar(Qt::Vertical, this))
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setAutoFillBackground(true);
    across_->setObjectName(QStringLiteral("previewhscroll"));
    down_->setObjectName(QStringLiteral("previewvscroll"));
    for (QScrollBar* bar : {across_, down_}) {
        bar->hide();
        bar->setCursor(Qt::ArrowCursor);
        connect(bar, &QScrollBar::valueChanged, this, &PreviewPane::Render);
    }
}

void PreviewPane::SetPicture(const QImage& picture, Zoom zoom)
{
    picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    zoom_ = zoom;
    Render();
}

void PreviewPane::ScrollHome()
{
    const QSignalBlocker quietAcross(across_);
    const QSignalBlocker quietDown(down_);
    across_->setValue(0);
    down_->setValue(0);
    Render();
}

void PreviewPane::Render()
{
    if (zoom_ == Zoom::One || picture_.isNull()) {
        // The Parts' pane: the picture as it is, from the top-left pixel.
        across_->hide();
        down_->hide();
        mapping_ = {};
        setPixmap(picture_.isNull() ? QPixmap() : QPixmap::fromImage(picture_));
        return;
    }
    const Extent pane{width(), height()};
    const Extent picture{picture_.width(), picture_.height()};
    const Extent shown = rules::ShownSize(zoom_, picture, pane);
    // Scroll bars over the pane's edges, each where the picture does not fit the room left.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool wide = shown.width > pane.width;
    bool tall = shown.height > pane.height;
    wide = wide || (tall && shown.width > pane.width - bar);
    tall = tall || (wide && shown.height > pane.height - bar);
    const Extent view{pane.width - (tall ? bar : 0), pane.height - (wide ? bar : 0)};
    const QSignalBlocker quietAcross(across_);
    const QSignalBlocker quietDown(down_);
    across_->setVisible(wide);
    down_->setVisible(tall);
    across_->setGeometry(0, pane.height - bar, view.width, bar);
    down_->setGeometry(pane.width - bar, 0, bar, view.height);
    across_->setRange(0, std::max(0, shown.width - view.width));
    down_->setRange(0, std::max(0, shown.height - view.height));
    across_->setPageStep(std::max(1, view.width));
    down_->setPageStep(std::max(1, view.height));
    across_->setSingleStep(16);
    down_->setSingleStep(16);

    mapping_ = rules::MapPane(zoom_, picture, pane, view, across_->value(), down_->value());
    // Only the pane pixels the picture reaches are drawn; the background shows elsewhere.
    const auto reached = [](const std::vector<int>& map) {
        return static_cast<int>(std::count_if(map.begin(), map.end(), [](int v) { return v >= 0; }));
    };
    QImage drawn(reached(mapping_.columns), reached(mapping_.rows), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(picture_.constScanLine(mapping_.rows[static_cast<std::size_t>(y)]));
        auto* to = reinterpret_cast<QRgb*>(drawn.scanLine(y));
        for (int x = 0; x < drawn.width(); ++x) {
            to[x] = from[mapping_.columns[static_cast<std::size_t>(x)]];
        }
    }
    setPixmap(QPixmap::fromImage(drawn));
}

QPoint PreviewPane::PictureAt(QPoint at) const
{
    if (zoom_ == Zoom::One || picture_.isNull()) {
        return at;
    }
    const auto in = [](const std::vector<int>& map, int i) {
        return i >= 0 && i < static_cast<int>(map.size()) ? map[static_cast<std::size_t>(i)] : -1;
    };
    const int x = in(mapping_.columns, at.x());
    const int y = in(mapping_.rows, at.y());
    return x < 0 || y < 0 ? QPoint(-1, -1) : QPoint(x, y);
}

void PreviewPane::mouseMoveEvent(QMouseEvent* event)
{
    emit pointerMoved(PictureAt(event->position().toPoint()));
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
        emit clicked(PictureAt(event->position().toPoint()));
    }
}

void PreviewPane::wheelEvent(QWheelEvent* event)
{
    // The wheel scrolls an enlarged picture; Shift or a sideways wheel scrolls across.
    const QPoint steps = event->angleDelta() / 120;
    const bool sideways = steps.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    QScrollBar* bar = sideways ? across_ : down_;
    if (!bar->isVisible()) {
        QLabel::wheelEvent(event);
        return;
    }
    const int turned = steps.x() != 0 ? steps.x() : steps.y();
    bar->setValue(bar->value() - turned * 3 * bar->singleStep());
    event->accept();
}

void PreviewPane::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Render();
}

} // namespace lathwork::app
