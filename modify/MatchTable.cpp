#include "modify/MatchTable.hpp"

#include "opt/BitString.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"

namespace lathwork {

std::vector<MatchEntry> BuildMatchTable(std::span<const std::uint8_t> row, const ColourChoice& colours)
{
    if (row.size() != static_cast<std::size_t>(layout::kPaletteRowBytes)) {
        throw OptError("A palette row holds 512 bytes.");
    }
    std::vector<MatchEntry> table;
    for (const Rgb& picked : colours.picked) {
        for (std::size_t j = 0; j < row.size(); j += 2) {
            const PaletteFields f = SplitPaletteEntry(row[j], row[j + 1]);
            const Rgb entry{f.red5 * 8, f.green6 * 4, f.blue5 * 8};
            if (IsSimilar(entry, picked, colours.tolerance)) {
                table.push_back({static_cast<std::int32_t>(j), row[j], row[j + 1]});
            }
        }
    }
    return table;
}

void CheckColourChoice(const ColourChoice& colours)
{
    auto inRange = [](int v) { return v >= 0 && v <= 255; };
    bool valid = inRange(colours.tolerance);
    for (const Rgb& c : colours.picked) {
        valid = valid && inRange(c.red) && inRange(c.green) && inRange(c.blue);
    }
    if (!valid) {
        throw OptError("Picked colours and the tolerance must lie from 0 to 255.");
    }
}

} // namespace lathwork
