#pragma once

#include "app/rules/PaneZoom.hpp"

#include <QImage>
#include <QLabel>

class QMouseEvent;
class QScrollBar;
class QWheelEvent;

namespace lathwork::app {

// A picture box: holds one picture, and reports pointer movement and clicks in the picture's
// coordinates. At 1x the picture is drawn unscaled from the top-left pixel; at 2x and 4x it is
// enlarged, with scroll bars over the pane's edges when it is larger than the pane; Fit scales
// it into the pane. Used for bmpdisplay (the preview and cloaking pane) and the hidden bmpholder.
class PreviewPane : public QLabel {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    // Replaces the picture; an image that is null empties the pane. The view keeps its scroll
    // position as far as the new picture allows.
    void SetPicture(const QImage& picture, rules::Zoom zoom = rules::Zoom::One);
    // Scrolls an enlarged picture back to its top-left corner.
    void ScrollHome();
    void ClearPicture() { SetPicture(QImage()); }
    const QImage& Picture() const { return picture_; }

    // The picture pixel under a point of the pane; (-1, -1) where the picture is not shown.
    // At 1x every point maps to itself, as the pane always did.
    QPoint PictureAt(QPoint panePoint) const;

signals:
    void pointerMoved(QPoint position);
    void clicked(QPoint position);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Places the scroll bars and draws the part of the picture in view.
    void Render();

    QImage picture_;
    rules::Zoom zoom_ = rules::Zoom::One;
    QScrollBar* across_;
    QScrollBar* down_;
    rules::PaneMapping mapping_;
    bool pressed_ = false;
};

} // namespace lathwork::app
