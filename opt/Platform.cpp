#include "opt/Platform.hpp"

#include "opt/OptError.hpp"
#include "opt/PlatformDetail.hpp"

#include <random>

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

std::string DisplayPath(const fs::path& path)
{
    return "\"" + PathToUtf8(path) + "\"";
}

void ReplaceFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    ReplaceFile(path, {bytes});
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

std::string TemporaryPrefix(const fs::path& target)
{
    return "." + PathToUtf8(target.filename()) + std::string(kTemporaryMark);
}

} // namespace

fs::path TemporaryPath(const fs::path& target, std::string_view unique)
{
    return FolderOf(target) / PathFromUtf8(TemporaryPrefix(target) + std::string(unique));
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
// file behind; the original is intact then, and the next save of the same file removes it.
void RemoveStaleTemporaries(const fs::path& target) noexcept
{
    const std::string prefix = TemporaryPrefix(target);
    std::error_code ec;
    for (fs::directory_iterator it(FolderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = PathToUtf8(it->path().filename());
        if (name.size() == prefix.size() + kUniqueLength && name.starts_with(prefix)) {
            RemoveLeftover(it->path());
        }
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

void CheckReplaceableEntry(const fs::path& shown, const fs::path& target)
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
    const fs::path folder = FolderOf(target);
    if (Inspect(folder).readOnly) {
        throw OptError("Cannot modify " + DisplayPath(shown) + ": its folder " + DisplayPath(folder) +
                       " is read-only.");
    }
}

} // namespace detail

} // namespace lathwork::platform
