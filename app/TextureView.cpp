#include "app/TextureView.hpp"

#include "imaging/TextureBitmap.hpp"
#include "opt/OptError.hpp"

namespace lathwork::app {

namespace {

constexpr int kCheckerSquare = 8; // texture pixels
constexpr int kCheckerLight = 204;
constexpr int kCheckerDark = 153;

// The picture of a texture's bitmap, indexed as the bitmap is.
QImage Decode(const lathwork::TextureImage& texture)
{
    const std::vector<std::uint8_t> bytes = lathwork::WriteTextureBitmap(texture);
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
}

// c laid over the checkerboard square's grey by opacity a (255 opaque).
int Over(int c, int grey, int a)
{
    return (c * a + grey * (255 - a) + 127) / 255;
}

} // namespace

TextureView::TextureView(std::string name, lathwork::PreviewPicture picture)
    : name_(std::move(name)), picture_(std::move(picture))
{
    const auto& bytes = picture_.bitmap;
    plain_ = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
    marked_ = plain_.isNull() ? QImage() : plain_.convertToFormat(QImage::Format_RGB32);
}

std::optional<std::vector<std::uint8_t>> TextureView::ResultOpacity(const ViewRequest& request) const
{
    if (!request.result) {
        return std::nullopt;
    }
    // A texture that carries opacity keeps it: the transparency rewrite passes it over.
    if (picture_.storedOpacity) {
        return picture_.storedOpacity;
    }
    if (request.pending == ViewRequest::Pending::Transparency) {
        return lathwork::PendingOpacities(picture_.texture, request.choice, request.opacity);
    }
    return std::nullopt;
}

QImage TextureView::Render(const ViewRequest& request) const
{
    if (marked_.isNull() || (request.row == lathwork::kShownLightingRow && !request.result)) {
        return marked_;
    }
    QImage colours = plain_;
    QImage opacity;
    try {
        // Without a whole palette block only row 7 is known.
        const bool rows = !picture_.palette.empty();
        if (rows && request.result && request.pending == ViewRequest::Pending::Illumination) {
            colours = Decode(lathwork::PendingIllumination(picture_.texture, picture_.palette, request.row, request.choice));
        } else if (rows && request.row != lathwork::kShownLightingRow) {
            colours = Decode(lathwork::AtLightingRow(picture_.texture, picture_.palette, request.row));
        }
        if (const auto bytes = ResultOpacity(request)) {
            opacity = Decode(lathwork::OpacityLayout(picture_.texture, *bytes));
        }
    } catch (const lathwork::OptError&) {
        return marked_; // a request out of range: the controls never make one
    }
    QImage out = colours.convertToFormat(QImage::Format_RGB32);
    if (out.size() != marked_.size()) {
        return marked_;
    }
    const bool layered = opacity.format() == QImage::Format_Indexed8 && opacity.size() == out.size();
    // Row-7 colours never reach 255, so magenta in Marked() is always a mark.
    const QRgb mark = qRgb(255, 0, 255);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const auto* marks = reinterpret_cast<const QRgb*>(marked_.constScanLine(y));
        const uchar* alpha = layered ? opacity.constScanLine(y) : nullptr;
        for (int x = 0; x < out.width(); ++x) {
            if (!request.result && marks[x] == mark) {
                line[x] = mark;
            } else if (alpha != nullptr) {
                const int a = alpha[x];
                const int grey = ((x / kCheckerSquare + y / kCheckerSquare) % 2) != 0 ? kCheckerDark : kCheckerLight;
                line[x] = qRgb(Over(qRed(line[x]), grey, a), Over(qGreen(line[x]), grey, a), Over(qBlue(line[x]), grey, a));
            }
        }
    }
    return out;
}

} // namespace lathwork::app
