#pragma once

#include "colour/ColourChoice.hpp"
#include "imaging/Preview.hpp"
#include "imaging/ResultPreview.hpp"

#include <QImage>

#include <optional>
#include <string>
#include <vector>

namespace lathwork::app {

// What the preview is asked to show of its texture.
struct ViewRequest {
    enum class Pending { None, Illumination, Transparency };
    int row = lathwork::kShownLightingRow; // the light level, 0..15
    bool result = false;                   // "Show result"
    Pending pending = Pending::None;       // the BEGIN of the mode in front
    lathwork::ColourChoice choice;         // its colours
    int opacity = 255;                     // its opacity (Transparency)
};

// The texture the preview holds (the one bmpholder shows) with everything needed to draw it at
// another light level or as a BEGIN would leave it, and its marks. Every picture is made from
// the texture's bitmap, so that all of them share its pixel layout.
class TextureView {
public:
    // name: the 8 stored bytes the texture was found by.
    TextureView(std::string name, lathwork::PreviewPicture picture);

    const std::string& Name() const { return name_; }

    // The texture at palette row 7, unmarked: the plain preview. Null when the bitmap
    // cannot be read as a picture.
    const QImage& Plain() const { return plain_; }

    // Plain() with the marks of the picked colours: magenta where a pick selects a pixel.
    const QImage& Marked() const { return marked_; }
    void SetMarked(const QImage& marked) { marked_ = marked; }

    // The picture for request. At row 7 without the result it is Marked() itself; at another
    // row, the texture at that row with the marks of Marked() on top. The result is the
    // texture at the row as the pending BEGIN would leave it, laid over a grey checkerboard by
    // its opacity where it carries some or the BEGIN would give it some, without marks: the
    // result itself shows what the picks select.
    QImage Render(const ViewRequest& request) const;

    // The picture whose colours the pointer picks: the texture at row 7, with the marks unless
    // the result is shown.
    const QImage& PickedFrom(bool result) const { return result ? plain_ : marked_; }

private:
    // The opacity the result shows, one byte per pixel byte, or nullopt when it is opaque.
    std::optional<std::vector<std::uint8_t>> ResultOpacity(const ViewRequest& request) const;

    std::string name_;
    lathwork::PreviewPicture picture_;
    QImage plain_;
    QImage marked_;
};

} // namespace lathwork::app
