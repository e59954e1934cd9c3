#include "colour/ColourChoice.hpp"

#include "opt/BitString.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

namespace lathwork {

std::vector<int> SelectedEntries(std::span<const std::uint8_t> row, const ColourChoice& choice)
{
    if (row.size() != static_cast<std::size_t>(layout::kPaletteRowBytes)) {
        throw OptError("A palette row holds 512 bytes.");
    }
    std::vector<int> entries;
    if (!choice.customSelect) {
        for (int i = 0; i < layout::kPaletteEntries; ++i) {
            entries.push_back(i);
        }
        return entries;
    }
    std::array<bool, 256> found{};
    for (const Rgb& picked : choice.picked) {
        for (std::size_t i = 0; i < found.size(); ++i) {
            const PaletteFields f = SplitPaletteEntry(row[2 * i], row[2 * i + 1]);
            if (!found[i] && IsSimilar({f.red5 * 8, f.green6 * 4, f.blue5 * 8}, picked, choice.tolerance)) {
                found[i] = true;
                entries.push_back(static_cast<int>(i));
            }
        }
    }
    return entries;
}

std::array<bool, 256> SelectedEntryMarks(std::span<const std::uint8_t> row, const ColourChoice& choice)
{
    std::array<bool, 256> marks{};
    for (const int entry : SelectedEntries(row, choice)) {
        marks[static_cast<std::size_t>(entry)] = true;
    }
    return marks;
}

void CheckColourChoice(const ColourChoice& choice)
{
    auto inRange = [](int v) { return v >= 0 && v <= 255; };
    bool valid = inRange(choice.tolerance);
    for (const Rgb& c : choice.picked) {
        valid = valid && inRange(c.red) && inRange(c.green) && inRange(c.blue);
    }
    if (!valid) {
        throw OptError("Picked colours and the tolerance must lie from 0 to 255.");
    }
}

} // namespace lathwork
