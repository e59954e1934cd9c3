#include "cli/RewriteCommandSupport.hpp"

#include "cli/NameCodec.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"

#include <algorithm>

namespace lathwork::cli {

namespace {

Rgb ParseColour(const std::string& text)
{
    std::vector<std::string> parts{""};
    for (const char ch : text) {
        if (ch == ',') {
            parts.emplace_back();
        } else {
            parts.back() += ch;
        }
    }
    if (parts.size() != 3) {
        throw OptError("Bad colour \"" + text + "\": give R,G,B, three whole numbers from 0 to 255.");
    }
    return {ParseInt(parts[0], 0, 255, "red"), ParseInt(parts[1], 0, 255, "green"),
            ParseInt(parts[2], 0, 255, "blue")};
}

} // namespace

TextureCommand ParseTextureCommand(Words words, const std::string& command, const std::set<std::string>& extraOptions)
{
    std::set<std::string> withValue = extraOptions;
    withValue.insert({"--colour", "--tolerance"});
    TextureCommand parsed;
    parsed.options = ParseOptions(words, withValue, {"--all"});
    const auto& p = parsed.options.positional;
    parsed.all = parsed.options.Has("--all");
    if (p.empty()) {
        throw OptError(command + " needs a FILE.");
    }
    if (parsed.all == (p.size() > 1)) {
        throw OptError(command + " takes either --all or one or more texture names.");
    }
    parsed.file = platform::PathFromUtf8(p[0]);
    for (std::size_t i = 1; i < p.size(); ++i) {
        parsed.names.push_back(DecodeName(p[i]));
    }
    const auto colours = parsed.options.values.find("--colour");
    if (colours != parsed.options.values.end()) {
        parsed.colours.customSelect = true;
        for (const std::string& text : colours->second) {
            parsed.colours.picked.push_back(ParseColour(text));
        }
    }
    parsed.colours.tolerance = ParseInt(parsed.options.Value("--tolerance", "32"), 0, 255, "tolerance");
    return parsed;
}

std::vector<TextureName> SelectItems(const TextureCommand& command, const std::vector<TextureName>& list)
{
    if (command.all) {
        return list;
    }
    auto given = [&](const TextureName& name) {
        return std::find(command.names.begin(), command.names.end(), name) != command.names.end();
    };
    std::vector<TextureName> items;
    auto add = [&](const TextureName& name) {
        if (std::find(items.begin(), items.end(), name) == items.end()) {
            items.push_back(name);
        }
    };
    for (const TextureName& item : list) {
        if (given(item)) {
            add(item);
        }
    }
    for (const TextureName& name : command.names) {
        add(name);
    }
    return items;
}

void RejectNotFound(const RewriteReport& report)
{
    if (!report.notFound.empty()) {
        throw OptError("No texture named \"" + EncodeName(report.notFound.front()) + "\" in the file.");
    }
}

} // namespace lathwork::cli
