#include "app/CloakingArtwork.hpp"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <cstdint>

namespace cloakart {

namespace {

constexpr int kSize = 256;
constexpr int kShip = 16;
constexpr int kScaleLeft = 8;       // centre of a ship at x = 0
constexpr int kScaleRight = 240;    // centre of a ship at x = 232
constexpr int kHighLane = 104;
constexpr int kLowLane = 120;

const QColor kSpace(11, 16, 32);
const QColor kInk(208, 216, 232);
const QColor kDim(128, 144, 176);
const QColor kHighColour(79, 216, 255);
const QColor kLowColour(255, 176, 58);

// A fighter seen from above, nose to the right, in a 16 x 16 box.
QPolygonF ShipOutline()
{
    return QPolygonF({{15.5, 8}, {9.5, 6}, {5.5, 1}, {3, 1}, {5, 6}, {1, 6}, {0.5, 8},
                      {1, 10}, {5, 10}, {3, 15}, {5.5, 15}, {9.5, 10}});
}

void DrawFighter(QPainter& p, const QPointF& at, double scale, const QColor& body, const QColor& edge)
{
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(QPen(edge, 1.0 / scale * 0.8));
    p.setBrush(body);
    p.drawPolygon(ShipOutline());
    p.restore();
}

QFont Font(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void DrawStars(QPainter& p)
{
    std::uint32_t seed = 0x2545F491u; // fixed: the backdrop is the same every time
    for (int i = 0; i < 70; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int x = static_cast<int>(seed >> 24);
        seed = seed * 1664525u + 1013904223u;
        const int y = static_cast<int>(seed >> 24);
        // Keep the texts, the lanes, the scale and the legend clear.
        if ((y < 40 && x > 20 && x < 236) || (y > 86 && y < 164) || (y > 170 && y < 232 && x < 150)) {
            continue;
        }
        const int level = 90 + static_cast<int>((seed >> 8) % 120);
        p.setPen(QColor(level, level, level + 20 > 255 ? 255 : level + 20));
        p.drawPoint(x, y);
    }
}

// The model fading as it draws away: the further, the smaller and dimmer.
void DrawFadingModel(QPainter& p)
{
    struct Step {
        double x;
        double scale;
        int alpha;
    };
    const Step steps[] = {{14, 2.8, 255}, {100, 1.9, 170}, {160, 1.2, 110}, {204, 0.8, 60}};
    for (const Step& s : steps) {
        QColor body(74, 90, 122, s.alpha);
        QColor edge(170, 186, 214, s.alpha);
        DrawFighter(p, QPointF(s.x, 64 - 8 * s.scale), s.scale, body, edge);
    }
    p.setPen(QPen(kDim, 1, Qt::DotLine));
    p.drawLine(60, 64, 238, 64);
}

void DrawScale(QPainter& p)
{
    p.fillRect(0, kHighLane, kSize - 8, kShip, QColor(22, 48, 74));
    p.fillRect(0, kLowLane, kSize - 8, kShip, QColor(58, 42, 20));
    p.setPen(QPen(kInk, 1));
    p.drawLine(kScaleLeft, kAxisY, kScaleRight, kAxisY);
    const int step = (kScaleRight - kScaleLeft) / 8;
    for (int i = 0; i <= 8; ++i) {
        const int x = kScaleLeft + step * i;
        p.drawLine(x, kAxisY, x, kAxisY + (i % 4 == 0 ? 6 : 3));
    }
    p.setFont(Font(9, false));
    p.drawText(QRect(2, kZoomLabelTop, 60, 12), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("0 km"));

    // The two ends of the scale: the model always vanishes at the left, never at the right.
    p.setFont(Font(9, true));
    p.drawText(QRect(2, 88, 80, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ALWAYS"));
    p.drawText(QRect(kSize - 82, 88, 80, 14), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("NEVER"));
    p.setPen(QPen(kInk, 1, Qt::DashLine));
    p.drawLine(kSize - 5, 100, kSize - 5, kAxisY + 6);
}

void DrawLegend(QPainter& p)
{
    p.setFont(Font(10, false));
    p.drawImage(16, 176, DrawShip(true));
    p.setPen(kHighColour);
    p.drawText(QRect(38, 176, 200, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("high visibility"));
    p.drawImage(16, 196, DrawShip(false));
    p.setPen(kLowColour);
    p.drawText(QRect(38, 196, 200, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("low visibility"));
    p.setPen(kDim);
    p.setFont(Font(9, false));
    p.drawText(QRect(8, kZoomBarTop - 14, 240, 12), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("scale length"));
}

} // namespace

QImage DrawShip(bool high)
{
    QImage image(kShip, kShip, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawFighter(p, QPointF(0, 0), 1.0, high ? kHighColour : kLowColour, QColor(16, 24, 32));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(10, 8), 1.2, 1.2);
    return image;
}

QImage DrawBackdrop()
{
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(kSpace);
    QPainter p(&image);
    DrawStars(p);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(kInk);
    p.setFont(Font(12, true));
    p.drawText(QRect(0, 6, kSize, 16), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("CLOAKING DISTANCE"));
    p.setPen(kDim);
    p.setFont(Font(9, false));
    p.drawText(QRect(0, 24, kSize, 12), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("where the model disappears from view"));
    DrawFadingModel(p);
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawScale(p);
    p.setRenderHint(QPainter::Antialiasing);
    DrawLegend(p);
    return image;
}

bool SaveBackdrop(const QString& path)
{
    // 24 bits: the smoothed text and edges need more than a 256-colour palette.
    return DrawBackdrop().convertToFormat(QImage::Format_RGB888).save(path, "BMP");
}

} // namespace cloakart
