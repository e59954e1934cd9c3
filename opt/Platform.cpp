#include "opt/Platform.hpp"

#include "opt/OptError.hpp"
#include "opt/PlatformDetail.hpp"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>

namespace fs = std::filesystem;

namespace lathwork::platform {

fs::path PathFromUtf8(std::string_view text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string PathToUtf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ShownPath(const fs::path& path)
{
    std::string shown;
    for (const char ch : PathToUtf8(path)) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += ch;
        }
    }
    return shown;
}

std::string DisplayPath(const fs::path& path)
{
    return "\"" + ShownPath(path) + "\"";
}

std::vector<std::string> GuardedSave::Replace(std::initializer_list<std::span<const std::uint8_t>> parts)
{
    return Replace([&](const auto& write) {
        for (const auto& part : parts) {
            write(part);
        }
    });
}

std::vector<std::string> ReplaceFile(const fs::path& path, std::initializer_list<std::span<const std::uint8_t>> parts)
{
    GuardedSave save(path);
    return save.Replace(parts);
}

std::vector<std::string> ReplaceFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    return ReplaceFile(path, {bytes});
}

MappedFile GuardedSave::Map() const
{
    MappedFile file = MappedFile::Open(target_, true);
    CheckUnchanged(); // the mapping is of the file noted, not of one moved in since
    return file;
}

void GuardedSave::CheckUnchanged() const
{
    detail::CheckSameFile(shown_, noted_, Inspect(target_));
}

namespace {

std::mutex hookMutex;
std::function<void(SaveStep, const fs::path&)> saveStepHook;

} // namespace

void SetSaveStepHook(std::function<void(SaveStep, const fs::path&)> hook)
{
    const std::lock_guard lock(hookMutex);
    saveStepHook = std::move(hook);
}

MappedFile::MappedFile(MappedFile&& other) noexcept : data_(other.data_), size_(other.size_)
{
    other.data_ = nullptr;
    other.size_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        Unmap();
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

MappedFile::~MappedFile()
{
    Unmap();
}

namespace detail {

namespace {

constexpr std::string_view kTemporaryMark = ".lathwork-";
constexpr std::size_t kUniqueLength = 6;
// Most file systems allow names of 255 bytes (Windows: 255 UTF-16 units, never fewer).
constexpr std::size_t kLongestName = 255;

bool UniqueLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

// ".NAME.lathwork-XXXXXX" or ".lathwork-XXXXXX": a dot, and the mark with six letters at the end.
bool TemporaryName(std::string_view name)
{
    const std::size_t tail = kTemporaryMark.size() + kUniqueLength;
    if (name.size() < tail || !name.starts_with('.')) {
        return false;
    }
    const std::string_view end = name.substr(name.size() - tail);
    return end.starts_with(kTemporaryMark) && std::all_of(end.begin() + kTemporaryMark.size(), end.end(), UniqueLetter);
}

} // namespace

fs::path TemporaryPath(const fs::path& target, std::string_view unique)
{
    std::string name = "." + PathToUtf8(target.filename()) + std::string(kTemporaryMark) + std::string(unique);
    if (name.size() > kLongestName) {
        name = std::string(kTemporaryMark) + std::string(unique);
    }
    return FolderOf(target) / PathFromUtf8(name);
}

std::string UniqueText()
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string text(kUniqueLength, ' ');
    for (char& ch : text) {
        ch = kAlphabet[pick(generator)];
    }
    return text;
}

// A save that was killed (power cut, SIGKILL, ended from the task manager) leaves its temporary
// file behind; the original is intact then. Looking through a folder of many thousand files
// takes a noticeable moment, so each process does it once per folder: leftovers appear only
// when a process dies, so one look by every later process is enough.
void RemoveStaleTemporaries(const fs::path& target) noexcept
{
    static std::mutex mutex;
    static std::set<fs::path> cleared;
    std::error_code ec;
    const fs::path folder = fs::absolute(FolderOf(target), ec).lexically_normal();
    {
        const std::lock_guard lock(mutex);
        if (ec || !cleared.insert(folder).second) {
            return;
        }
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (TemporaryName(PathToUtf8(it->path().filename()))) {
            RemoveUnheldTemporary(it->path());
        }
    }
}

void ReportSaveStep(SaveStep step, const fs::path& temporary)
{
    std::function<void(SaveStep, const fs::path&)> hook;
    {
        const std::lock_guard lock(hookMutex);
        hook = saveStepHook;
    }
    if (hook) {
        hook(step, temporary);
    }
}

void CheckLinks(const fs::path& shown, const Entry& file, SaveOptions options)
{
    if (file.links > 1 && !options.breakLinks) {
        throw OptError("Cannot modify " + DisplayPath(shown) + ": the file has " + std::to_string(file.links) +
                       " names (hard links), and only this one would get the new contents; nothing written "
                       "(on the command line, --break-links rewrites it anyway).");
    }
}

void CheckSameFile(const fs::path& shown, const Entry& noted, const Entry& now)
{
    if (!now.SameAs(noted) || now.size != noted.size || now.modified != noted.modified) {
        throw OptError("Cannot save " + DisplayPath(shown) + ": it was changed by another program; nothing written.");
    }
}

fs::path FolderOf(const fs::path& path)
{
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

void CheckSize(const fs::path& path, std::int64_t size)
{
    if (size > kLargestFile) {
        throw OptError("Cannot read " + DisplayPath(path) + ": it is too large for an OPT file (2 GiB or more).");
    }
}

void CheckReplaceableEntry(const fs::path& shown, const fs::path& target, SaveOptions options)
{
    const Entry file = Inspect(target);
    if (file.kind == EntryKind::Missing) {
        throw OptError("Cannot open " + DisplayPath(shown) + ": there is no such file.");
    }
    if (file.kind != EntryKind::File) {
        throw OptError("Cannot modify " + DisplayPath(shown) + ": it is not a regular file.");
    }
    if (file.readOnly) {
        throw OptError("Cannot modify " + DisplayPath(shown) + ": the file is read-only.");
    }
    CheckLinks(shown, file, options);
    const fs::path folder = FolderOf(target);
    if (Inspect(folder).readOnly) {
        throw OptError("Cannot modify " + DisplayPath(shown) + ": its folder " + DisplayPath(folder) +
                       " is read-only.");
    }
}

} // namespace detail

} // namespace lathwork::platform
