#pragma once

#include <QImage>
#include <QLabel>

class QMouseEvent;

namespace lathwork::app {

// A picture box: holds one picture drawn from its top-left pixel, unscaled, with single-pixel
// reads and writes in picture coordinates. Reports pointer movement and clicks in the same
// coordinates. Used for bmpdisplay (the preview and cloaking pane) and the hidden bmpholder.
class PreviewPane : public QLabel {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    // Replaces the picture; an image that is null empties the pane.
    void SetPicture(const QImage& picture);
    void ClearPicture() { SetPicture(QImage()); }
    const QImage& Picture() const { return picture_; }

    bool HasPixel(int x, int y) const { return picture_.valid(x, y); }
    QRgb Pixel(int x, int y) const { return picture_.pixel(x, y); }

signals:
    void pointerMoved(QPoint position);
    void clicked(QPoint position);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool pressed_ = false;
};

} // namespace lathwork::app
