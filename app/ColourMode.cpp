#include "app/ColourMode.hpp"
#include "app/ListBox.hpp"

#include "colour/PickedColour.hpp"

#include <QRadioButton>
#include <QScrollBar>

namespace lathwork::app {

std::optional<lathwork::Rgb> PickedColour(const ColourMode& mode, int row)
{
    for (const ListBox* list : {mode.red, mode.green, mode.blue}) {
        if (row < 0 || row >= list->count()) {
            return std::nullopt;
        }
    }
    const auto text = [row](const ListBox* list) { return list->item(row)->text().toStdString(); };
    return lathwork::ParsePickedColour(text(mode.red), text(mode.green), text(mode.blue));
}

std::vector<lathwork::Rgb> PickedColours(const ColourMode& mode)
{
    std::vector<lathwork::Rgb> picked;
    for (int row = 0; row < mode.red->count(); ++row) {
        if (const auto colour = PickedColour(mode, row)) {
            picked.push_back(*colour);
        }
    }
    return picked;
}

lathwork::ColourChoice ColourChoiceOf(const ColourMode& mode)
{
    lathwork::ColourChoice choice;
    choice.customSelect = mode.custom->isChecked();
    choice.picked = PickedColours(mode);
    choice.tolerance = mode.tolerance->value();
    return choice;
}

} // namespace lathwork::app
