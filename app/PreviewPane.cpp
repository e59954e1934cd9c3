#include "app/PreviewPane.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace lathwork::app {

using rules::Extent;
using rules::Zoom;

namespace {

// The size fixed pictures are made for: the pane's size at start.
constexpr int kFixedSide = 256;

} // namespace

PreviewPane::PreviewPane(QWidget* parent)
    : QLabel(parent), across_(new QScrollBar(Qt::Horizontal, this)), down_(new QScrollBar(Qt::Vertical, this))
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    across_->setObjectName(QStringLiteral("previewhscroll"));
    down_->setObjectName(QStringLiteral("previewvscroll"));
    for (QScrollBar* bar : {across_, down_}) {
        bar->hide();
        bar->setCursor(Qt::ArrowCursor);
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            Render();
            emit scrolled();
        });
    }
}

void PreviewPane::SetPicture(const QImage& picture, Zoom zoom)
{
    picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    zoom_ = zoom;
    fixed_ = false;
    if (cursor_ && !picture_.valid(*cursor_)) {
        cursor_.reset();
    }
    Render();
}

void PreviewPane::SetFixedPicture(const QImage& picture)
{
    SetPicture(picture);
    fixed_ = true;
    cursor_.reset();
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
    if (fixed_ || picture_.isNull()) {
        // The picture as it is, from FixedOrigin.
        across_->hide();
        down_->hide();
        mapping_ = {};
        const QPoint origin = FixedOrigin();
        setContentsMargins(origin.x(), origin.y(), 0, 0);
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
    setContentsMargins(0, 0, 0, 0);
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

QPoint PreviewPane::FixedOrigin() const
{
    return {std::max(0, (width() - kFixedSide) / 2), std::max(0, (height() - kFixedSide) / 2)};
}

QPoint PreviewPane::PictureAt(QPoint at) const
{
    if (fixed_ || picture_.isNull()) {
        const QPoint in = at - FixedOrigin();
        return picture_.valid(in) ? in : QPoint(-1, -1);
    }
    const auto in = [](const std::vector<int>& map, int i) {
        return i >= 0 && i < static_cast<int>(map.size()) ? map[static_cast<std::size_t>(i)] : -1;
    };
    const int x = in(mapping_.columns, at.x());
    const int y = in(mapping_.rows, at.y());
    return x < 0 || y < 0 ? QPoint(-1, -1) : QPoint(x, y);
}

QPoint PreviewPane::RestingAt() const
{
    if (keyed_ && cursor_) {
        return *cursor_;
    }
    return hover_ ? PictureAt(*hover_) : QPoint(-1, -1);
}

QRect PreviewPane::PaneRectOf(QPoint at) const
{
    if (fixed_ || picture_.isNull()) {
        return picture_.valid(at) ? QRect(at + FixedOrigin(), QSize(1, 1)) : QRect();
    }
    // The first and last view pixel showing picture pixel v, on one axis.
    const auto span = [](const std::vector<int>& map, int v) {
        const auto first = std::find(map.begin(), map.end(), v);
        if (first == map.end()) {
            return std::pair(-1, -1);
        }
        const auto last = std::find_if(first, map.end(), [v](int m) { return m != v; });
        return std::pair(static_cast<int>(first - map.begin()), static_cast<int>(last - map.begin()) - 1);
    };
    const auto [left, right] = span(mapping_.columns, at.x());
    const auto [top, bottom] = span(mapping_.rows, at.y());
    if (left < 0 || top < 0) {
        return {};
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void PreviewPane::ScrollTo(QPoint at)
{
    if (fixed_ || picture_.isNull() || zoom_ == Zoom::Fit) {
        return;
    }
    const Extent shown = rules::ShownSize(zoom_, {picture_.width(), picture_.height()}, {width(), height()});
    // View pixel p shows picture pixel p * size / shown: pixel v starts at ceil(v * shown / size).
    const auto bring = [](QScrollBar* bar, int v, int size, int extent) {
        const auto start = static_cast<int>((static_cast<long long>(v) * extent + size - 1) / size);
        const auto end = static_cast<int>((static_cast<long long>(v + 1) * extent + size - 1) / size);
        if (start < bar->value()) {
            bar->setValue(start);
        } else if (end > bar->value() + bar->pageStep()) {
            bar->setValue(end - bar->pageStep());
        }
    };
    bring(across_, at.x(), picture_.width(), shown.width);
    bring(down_, at.y(), picture_.height(), shown.height);
}

void PreviewPane::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    const bool pick = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (fixed_ || picture_.isNull() || !(arrow || pick)) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!cursor_) {
        // The cursor starts under the pointer, or at the top-left pixel.
        const QPoint under = hover_ ? PictureAt(*hover_) : QPoint(-1, -1);
        cursor_ = picture_.valid(under) ? under : QPoint(0, 0);
    } else if (arrow) {
        // Shift moves the cursor 8 pixels at a time.
        const int step = (event->modifiers() & Qt::ShiftModifier) ? 8 : 1;
        const int dx = key == Qt::Key_Left ? -step : key == Qt::Key_Right ? step : 0;
        const int dy = key == Qt::Key_Up ? -step : key == Qt::Key_Down ? step : 0;
        cursor_ = QPoint(std::clamp(cursor_->x() + dx, 0, picture_.width() - 1),
                         std::clamp(cursor_->y() + dy, 0, picture_.height() - 1));
    }
    keyed_ = true;
    ScrollTo(*cursor_);
    update();
    if (pick) {
        emit clicked(*cursor_);
    } else {
        emit pointerMoved(*cursor_);
    }
}

void PreviewPane::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus() || !cursor_) {
        return;
    }
    const QRect pixel = PaneRectOf(*cursor_);
    if (pixel.isEmpty()) {
        return;
    }
    // A black and white frame around the pixel shows on any colour.
    QPainter painter(this);
    const QRect frame = pixel.adjusted(-2, -2, 2, 2);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(frame);
}

void PreviewPane::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    update();
}

void PreviewPane::focusOutEvent(QFocusEvent* event)
{
    QLabel::focusOutEvent(event);
    update();
}

void PreviewPane::leaveEvent(QEvent* event)
{
    hover_.reset();
    QLabel::leaveEvent(event);
}

void PreviewPane::mouseMoveEvent(QMouseEvent* event)
{
    hover_ = event->position().toPoint();
    keyed_ = false;
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
    if (click) {
        hover_ = event->position().toPoint();
        keyed_ = false;
    }
    QLabel::mouseReleaseEvent(event);
    if (click) {
        const QPoint at = PictureAt(event->position().toPoint());
        if (picture_.valid(at) && !fixed_) {
            cursor_ = at; // the keys go on from the pixel clicked
            update();
        }
        emit clicked(at);
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
