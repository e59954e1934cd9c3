#pragma once

#include <QColor>
#include <QString>

#include "colour/ColourChoice.hpp"
#include "colour/Similarity.hpp"

#include <optional>
#include <vector>

class QBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpacerItem;

namespace lathwork::app {

class ListBox;

// The controls one of the two colour-picking modes (Illumination, Transparency) works with.
struct ColourMode {
    QString name;                     // the mode's name, as introframe shows it
    ListBox* textures = nullptr;  // the mode's texture list
    QPushButton* begin = nullptr;     // its SCAN/BEGIN button
    QPushButton* selectAll = nullptr;
    QPushButton* deselectAll = nullptr;
    ListBox* red = nullptr;       // the three picked-colour lists, row by row
    ListBox* green = nullptr;
    ListBox* blue = nullptr;
    QScrollBar* tolerance = nullptr;
    QLineEdit* toleranceBox = nullptr;
    QLabel* swatch = nullptr;
    QLineEdit* swatchText = nullptr;
    QRadioButton* entire = nullptr;   // "Entire texture"
    QRadioButton* custom = nullptr;   // "Custom select"
    QPushButton* remove = nullptr;
    QColor swatchColour{128, 128, 128};
    // The frame's two columns (textures, colours), the colour column, and the gap in it under
    // the colour lists and their Remove button that takes the frame's growth in height.
    QBoxLayout* columns = nullptr;
    QBoxLayout* colourColumn = nullptr;
    QSpacerItem* colourGap = nullptr;
};

// Row row of the three picked-colour lists; nullopt when a list has no such row or a text is
// no channel value.
std::optional<lathwork::Rgb> PickedColour(const ColourMode& mode, int row);
// Every picked colour in list order.
std::vector<lathwork::Rgb> PickedColours(const ColourMode& mode);
// The mode's colour choice as BEGIN reads it: the option, the picked colours, the tolerance.
lathwork::ColourChoice ColourChoiceOf(const ColourMode& mode);

} // namespace lathwork::app
