#include "cli/FileRun.hpp"

#include "opt/OptError.hpp"
#include "opt/Platform.hpp"

#include <new>
#include <ostream>

namespace lathwork::cli {

FileRun::FileRun(FileList files, Console& console, bool quiet)
    : list_(std::move(files)), console_(console), progress_(console.err, console.errIsTerminal && !quiet)
{
}

int FileRun::ForEach(const std::function<void(const std::filesystem::path&)>& work, const Failed& failed)
{
    int status = 0;
    const std::size_t count = list_.files.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::filesystem::path& file = list_.files[i];
        current_ = "[" + std::to_string(i + 1) + "/" + std::to_string(count) + "] " + platform::ShownPath(file);
        progress_.Update(current_);
        std::string message;
        try {
            if (i < list_.faults.size() && !list_.faults[i].empty()) {
                throw OptError(list_.faults[i]);
            }
            work(file);
            continue;
        } catch (const std::bad_alloc&) {
            message = "there is not enough memory for this file.";
        } catch (const std::exception& error) {
            message = error.what();
        }
        status = 1;
        if (failed) {
            failed(file, message);
        }
        progress_.Clear();
        console_.out.flush();
        console_.err << "lathwork-cli: " << (Several() ? platform::ShownPath(file) + ": " : "") << message << "\n";
    }
    progress_.Clear();
    return status;
}

void FileRun::Warn(const std::string& message)
{
    progress_.Clear();
    console_.out.flush();
    console_.err << "lathwork-cli: warning: " << message << "\n";
}

void FileRun::Print(const std::string& text)
{
    progress_.Clear();
    console_.out << text;
}

void FileRun::PrintBlock(const std::filesystem::path& file, const std::string& text)
{
    PrintBlock(file, text, Several());
}

void FileRun::PrintBlock(const std::filesystem::path& file, const std::string& text, bool named)
{
    if (named) {
        Print((printedBlock_ ? "\n" : "") + platform::ShownPath(file) + ":\n" + text);
        printedBlock_ = true;
    } else {
        Print(text);
    }
}

void FileRun::Step(const std::string& detail)
{
    progress_.Update(current_ + ": " + detail);
}

} // namespace lathwork::cli
