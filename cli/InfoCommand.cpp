#include "cli/Commands.hpp"
#include "cli/FileReports.hpp"
#include "cli/ModelFacts.hpp"
#include "cli/Options.hpp"
#include "opt/NameText.hpp"

#include <algorithm>

namespace lathwork::cli {

namespace {

using Row = std::vector<std::string>;

// Rows under a heading row, in columns two blanks apart; numbers (columns marked in right)
// aligned to the right.
std::string Table(const std::vector<Row>& rows, const std::vector<bool>& right)
{
    std::vector<std::size_t> widths(right.size(), 0);
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    std::string text;
    for (const Row& row : rows) {
        std::string line = "  ";
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string pad(widths[c] - row[c].size(), ' ');
            line += "  " + (right[c] ? pad + row[c] : row[c] + pad);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

const char* StateName(SetFacts::State state)
{
    switch (state) {
    case SetFacts::State::Animatable:
        return "animatable";
    case SetFacts::State::Animated:
        return "animated";
    default:
        return "other";
    }
}

std::string Cloaking(const ShownDistances& shown)
{
    return "high " + shown.high + (shown.low ? ", low " + *shown.low : "");
}

std::string Text(const ModelFacts& facts)
{
    std::string text = "  size          " + std::to_string(facts.size) + " bytes\n" +
                       "  GlobalOffset  " + std::to_string(facts.globalOffset) + "\n" +
                       "  cloaking      " + Cloaking(facts.cloaking) + "\n" +
                       "  textures      " + std::to_string(facts.textures.size()) + "\n";
    if (!facts.textures.empty()) {
        std::vector<Row> rows{{"NAME", "NODE", "WIDTH", "HEIGHT", "C", "PALETTE", "SELF-LIT", "ALPHA"}};
        for (const TextureFacts& t : facts.textures) {
            const auto& s = t.summary;
            auto known = [&](const std::string& value) { return s ? value : "-"; };
            rows.push_back({NameText(t.name), std::to_string(t.node), known(s ? std::to_string(s->width) : ""),
                            known(s ? std::to_string(s->height) : ""), std::to_string(t.childCount),
                            known(s && s->ownPalette ? "own" : "shared"), known(s ? std::to_string(s->SelfLitCount()) : ""),
                            known(s && s->hasAlphaNode ? "yes" : "no")});
        }
        text += Table(rows, {false, true, true, true, true, false, true, false});
    }
    text += "  texture sets  " + std::to_string(facts.sets.size()) + "\n";
    if (!facts.sets.empty()) {
        std::vector<Row> rows{{"SET", "NODE", "MEMBERS", "MODE", "STATE"}};
        for (const SetFacts& set : facts.sets) {
            rows.push_back({set.number != 0 ? "Tex Set " + std::to_string(set.number) : "-", std::to_string(set.node),
                            std::to_string(set.members), std::to_string(set.mode), StateName(set.state)});
        }
        text += Table(rows, {false, true, true, true, false});
    }
    return text;
}

void AddJson(const ModelFacts& facts, JsonObject& json)
{
    std::vector<std::string> textures;
    for (const TextureFacts& t : facts.textures) {
        const auto& s = t.summary;
        JsonObject texture;
        texture.Add("name", JsonString(NameText(t.name)))
            .Add("node", JsonNumber(t.node))
            .Add("width", s ? JsonNumber(s->width) : kJsonNull)
            .Add("height", s ? JsonNumber(s->height) : kJsonNull)
            .Add("childCount", JsonNumber(t.childCount))
            .Add("palette", s ? JsonString(s->ownPalette ? "own" : "shared") : kJsonNull)
            .Add("selfLit", s ? JsonNumber(s->SelfLitCount()) : kJsonNull)
            .Add("alphaNode", s ? JsonBool(s->hasAlphaNode) : kJsonNull);
        textures.push_back(texture.Text());
    }
    std::vector<std::string> sets;
    for (const SetFacts& set : facts.sets) {
        JsonObject object;
        object.Add("node", JsonNumber(set.node))
            .Add("members", JsonNumber(set.members))
            .Add("setMode", JsonNumber(set.mode))
            .Add("state", JsonString(StateName(set.state)))
            .Add("number", set.number != 0 ? JsonNumber(set.number) : kJsonNull);
        sets.push_back(object.Text());
    }
    const auto& low = facts.cloaking.low;
    json.Add("size", JsonNumber(facts.size))
        .Add("globalOffset", JsonNumber(facts.globalOffset))
        .Add("cloaking", JsonObject()
                             .Add("high", JsonString(facts.cloaking.high))
                             .Add("low", low ? JsonString(*low) : kJsonNull)
                             .Text())
        .Add("textures", JsonArray(textures))
        .Add("sets", JsonArray(sets));
}

} // namespace

int InfoCommand(Words words, Console& console)
{
    const Options options = ParseOptions(words, {}, {"--json", "--quiet"});
    FileRun run(CommandFiles(options, "info"), console, options.Has("--quiet"));
    return PrintReports(
        run, options.Has("--json"),
        [](const std::filesystem::path& file, FileReport& report) {
            const ModelFacts facts = ReadModelFacts(OptImage::Load(file));
            report.text = Text(facts);
            AddJson(facts, report.json);
        },
        true);
}

} // namespace lathwork::cli
