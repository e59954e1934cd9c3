#pragma once

#include "app/rules/PaneZoom.hpp"

#include <QImage>
#include <QLabel>

#include <optional>

class QMouseEvent;
class QScrollBar;
class QWheelEvent;

namespace lathwork::app {

// A picture box: holds one picture, and reports pointer movement and clicks in the picture's
// coordinates. At 1x the picture is drawn unscaled from the top-left pixel, at 2x and 4x it is
// enlarged; either way scroll bars appear over the pane's edges when it is larger than the pane.
// Fit scales it into the pane. A fixed picture (the cloaking backdrop, with controls laid over
// it) is drawn at 1x without scroll bars, from the corner of the 256 x 256 square in the middle
// of the pane (the whole pane at its start size). With the keyboard focus, the arrow keys move
// a cursor over the picture and Space or Enter clicks it. Used for bmpdisplay (the preview and
// cloaking pane) and the hidden bmpholder.
class PreviewPane : public QLabel {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    // Replaces the picture; an image that is null empties the pane. The view keeps its scroll
    // position as far as the new picture allows.
    void SetPicture(const QImage& picture, rules::Zoom zoom = rules::Zoom::One);
    // Replaces the picture with one drawn at 1x from the top-left pixel, never scrolled.
    void SetFixedPicture(const QImage& picture);
    // Scrolls an enlarged picture back to its top-left corner.
    void ScrollHome();
    void ClearPicture() { SetPicture(QImage()); }
    const QImage& Picture() const { return picture_; }

    // The picture pixel under a point of the pane; (-1, -1) where the picture is not shown.
    QPoint PictureAt(QPoint panePoint) const;
    // The picture pixel under the pointer resting on the pane, or under the keyboard cursor
    // when the keys moved it last; (-1, -1) when there is none.
    QPoint RestingAt() const;

signals:
    void pointerMoved(QPoint position);
    void clicked(QPoint position);
    // The view moved over the picture (scroll bar, wheel): another pixel may be under the
    // pointer.
    void scrolled();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Places the scroll bars and draws the part of the picture in view.
    void Render();
    // The pane rectangle showing picture pixel at; empty when it is out of view.
    QRect PaneRectOf(QPoint at) const;
    // Scrolls so that picture pixel at is in view.
    void ScrollTo(QPoint at);
    // Where a fixed picture's top-left pixel is drawn: the 256 x 256 square centred in the pane.
    QPoint FixedOrigin() const;

    QImage picture_;
    rules::Zoom zoom_ = rules::Zoom::One;
    QScrollBar* across_;
    QScrollBar* down_;
    rules::PaneMapping mapping_;
    bool pressed_ = false;
    bool fixed_ = false;
    std::optional<QPoint> hover_;  // pane point of the resting pointer
    std::optional<QPoint> cursor_; // picture pixel of the keyboard cursor
    bool keyed_ = false;           // the keys moved the cursor after the pointer last moved
};

} // namespace lathwork::app
