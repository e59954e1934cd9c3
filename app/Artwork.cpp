#include "app/Artwork.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

#include <cstdint>

namespace lathwork::app {

namespace {

// A fighter seen from above, nose to the right, in a 100 x 100 box.
QPainterPath ShipPath()
{
    QPainterPath ship;
    ship.moveTo(96, 50);
    ship.lineTo(60, 40);
    ship.lineTo(40, 12);
    ship.lineTo(30, 12);
    ship.lineTo(38, 40);
    ship.lineTo(8, 44);
    ship.lineTo(4, 50);
    ship.lineTo(8, 56);
    ship.lineTo(38, 60);
    ship.lineTo(30, 88);
    ship.lineTo(40, 88);
    ship.lineTo(60, 60);
    ship.closeSubpath();
    return ship;
}

void DrawShip(QPainter& p, const QRectF& box, const QBrush& fill, const QColor& outline)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);
    p.setPen(QPen(outline, 4));
    p.setBrush(fill);
    p.drawPath(ShipPath());
    p.restore();
}

void Transparency(QPainter& p)
{
    // A chequered backdrop seen through a half-clear ship.
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            p.fillRect(QRectF(x * 25, y * 25, 25, 25), (x + y) % 2 == 0 ? QColor(200, 200, 200) : QColor(120, 120, 120));
        }
    }
    DrawShip(p, QRectF(0, 0, 100, 100), QColor(40, 120, 220, 120), QColor(20, 60, 140));
}

void Animation(QPainter& p)
{
    // Three frames of a film strip, the ship turning.
    p.fillRect(QRectF(0, 14, 100, 72), QColor(40, 40, 48));
    for (int i = 0; i < 6; ++i) {
        p.fillRect(QRectF(6 + i * 16, 18, 8, 6), QColor(230, 230, 230));
        p.fillRect(QRectF(6 + i * 16, 76, 8, 6), QColor(230, 230, 230));
    }
    const QColor colours[3] = {QColor(240, 170, 40), QColor(250, 210, 80), QColor(255, 240, 150)};
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRectF(4 + i * 32, 28, 28, 44), QColor(70, 90, 120));
        DrawShip(p, QRectF(6 + i * 32, 36 + i * 2, 24, 28 - i * 4), colours[i], QColor(60, 40, 10));
    }
}

void Cloaking(QPainter& p)
{
    // A ship fading out along a distance scale.
    p.setPen(QPen(QColor(30, 30, 30), 5));
    p.drawLine(QPointF(6, 88), QPointF(94, 88));
    for (int i = 0; i <= 4; ++i) {
        p.drawLine(QPointF(6 + i * 22, 80), QPointF(6 + i * 22, 96));
    }
    DrawShip(p, QRectF(0, 8, 56, 56), QColor(60, 160, 90), QColor(20, 80, 40));
    DrawShip(p, QRectF(44, 16, 48, 48), QColor(60, 160, 90, 70), QColor(20, 80, 40, 90));
}

void Illumination(QPainter& p)
{
    // A lit window panel with rays.
    QRadialGradient glow(QPointF(50, 50), 50);
    glow.setColorAt(0, QColor(255, 250, 200));
    glow.setColorAt(0.5, QColor(255, 200, 60));
    glow.setColorAt(1, QColor(255, 200, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(50, 50), 50, 50);
    p.setPen(QPen(QColor(120, 80, 0), 4));
    p.setBrush(QColor(255, 235, 120));
    p.drawRect(QRectF(28, 30, 44, 40));
    p.drawLine(QPointF(50, 30), QPointF(50, 70));
    p.drawLine(QPointF(28, 50), QPointF(72, 50));
}

} // namespace

QImage ToolbarPicture(ModeArt mode, int size)
{
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    switch (mode) {
    case ModeArt::Transparency: Transparency(p); break;
    case ModeArt::Animation: Animation(p); break;
    case ModeArt::Cloaking: Cloaking(p); break;
    case ModeArt::Illumination: Illumination(p); break;
    }
    return picture;
}

QIcon ToolbarIcon(ModeArt mode)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(ToolbarPicture(mode, size)));
    }
    return icon;
}

QImage StartupPicture()
{
    QImage picture(256, 256, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 256);
    sky.setColorAt(0, QColor(6, 8, 24));
    sky.setColorAt(1, QColor(24, 30, 64));
    p.fillRect(picture.rect(), sky);

    // Stars from a fixed sequence, so the picture is the same on every start.
    std::uint32_t seed = 20240601u;
    for (int i = 0; i < 90; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int x = static_cast<int>(seed >> 8) % 256;
        seed = seed * 1664525u + 1013904223u;
        const int y = static_cast<int>(seed >> 8) % 170;
        const int light = 120 + static_cast<int>(seed >> 24) % 136;
        p.setPen(QColor(light, light, std::min(255, light + 30)));
        p.drawPoint(x, y);
    }

    // A grid plane receding to the horizon.
    p.setPen(QPen(QColor(60, 110, 200, 150), 1));
    for (int i = -8; i <= 8; ++i) {
        p.drawLine(QPointF(128 + i * 6, 170), QPointF(128 + i * 40, 256));
    }
    for (int i = 0; i < 6; ++i) {
        const double y = 170 + (i * i + i) * 2.9;
        p.drawLine(QPointF(0, y), QPointF(256, y));
    }

    QLinearGradient hull(0, 60, 0, 150);
    hull.setColorAt(0, QColor(200, 210, 230));
    hull.setColorAt(1, QColor(90, 100, 130));
    DrawShip(p, QRectF(58, 48, 140, 110), hull, QColor(30, 40, 70));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(28);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(240, 200, 90));
    p.drawText(QRect(0, 8, 256, 36), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Lathwork"));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(210, 220, 240));
    p.drawText(QRect(0, 214, 256, 18), Qt::AlignHCenter, QStringLiteral("Choose an OPT file and a mode,"));
    p.drawText(QRect(0, 230, 256, 18), Qt::AlignHCenter, QStringLiteral("then press SCAN."));
    return picture;
}

QImage ApplicationPicture(int size)
{
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    QRadialGradient disc(QPointF(40, 35), 70);
    disc.setColorAt(0, QColor(50, 70, 140));
    disc.setColorAt(1, QColor(8, 10, 30));
    p.setPen(QPen(QColor(240, 200, 90), 4));
    p.setBrush(disc);
    p.drawEllipse(QPointF(50, 50), 47, 47);
    DrawShip(p, QRectF(14, 18, 72, 64), QColor(210, 220, 240), QColor(30, 40, 70));
    return picture;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(ApplicationPicture(size)));
    }
    return icon;
}

} // namespace lathwork::app
