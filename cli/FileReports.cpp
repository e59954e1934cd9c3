#include "cli/FileReports.hpp"

#include "opt/Platform.hpp"

namespace lathwork::cli {

int PrintReports(FileRun& run, bool json, const std::function<void(const std::filesystem::path&, FileReport&)>& make,
                 bool named)
{
    std::vector<std::string> files;
    auto started = [](const std::filesystem::path& file) {
        FileReport report;
        report.json.Add("file", JsonString(platform::PathToUtf8(file)));
        return report;
    };
    const int status = run.ForEach(
        [&](const std::filesystem::path& file) {
            FileReport report = started(file);
            make(file, report);
            if (json) {
                files.push_back(report.json.Text());
            } else {
                run.PrintBlock(file, report.text, named || run.Several());
            }
        },
        [&](const std::filesystem::path& file, const std::string& message) {
            if (json) {
                files.push_back(started(file).json.Add("error", JsonString(message)).Text());
            }
        });
    if (json) {
        run.Print(JsonFilesDocument(files));
    }
    return status;
}

std::string JsonFilesDocument(const std::vector<std::string>& files)
{
    std::string document = "{\"files\":[";
    for (std::size_t i = 0; i < files.size(); ++i) {
        document += (i == 0 ? "\n" : ",\n") + files[i];
    }
    return document + (files.empty() ? "" : "\n") + "]}\n";
}

} // namespace lathwork::cli
