// The platform layer on Linux and other POSIX systems.

#include "opt/Platform.hpp"

#include "opt/OptError.hpp"
#include "opt/PlatformDetail.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace lathwork::platform {

namespace {

using detail::FolderOf;

std::string Reason(int error)
{
    return std::strerror(error);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Opens a regular file for reading. O_NONBLOCK: a pipe named like an OPT must give an error,
// not wait for a writer; it does not change how a regular file is read.
Descriptor OpenRegular(const fs::path& path, struct stat& info)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        throw OptError("Cannot open " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }
    if (::fstat(fd.get(), &info) != 0) {
        throw OptError("Cannot read " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) {
        throw OptError("Cannot read " + DisplayPath(path) + ": it is not a regular file.");
    }
    detail::CheckSize(path, info.st_size);
    return fd;
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const fs::path& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ::ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw OptError("Cannot write " + DisplayPath(path) + ": " + Reason(errno) + ".");
        }
        done += static_cast<std::size_t>(n);
    }
}

// Writes bytes from file offset `offset` on, asking the system after each step to start putting
// it on disk, so that the flush at the end of a save overlaps the writing instead of following
// it. Only advice: the fsync after the last step is what makes the file durable.
void WriteStartingFlush(int fd, std::span<const std::uint8_t> bytes, std::int64_t& offset, const fs::path& path)
{
    constexpr std::size_t kStep = std::size_t{8} << 20;
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t n = std::min(kStep, bytes.size() - done);
        WriteAll(fd, bytes.subspan(done, n), path);
#ifdef SYNC_FILE_RANGE_WRITE
        ::sync_file_range(fd, offset, static_cast<off_t>(n), SYNC_FILE_RANGE_WRITE);
#endif
        offset += static_cast<std::int64_t>(n);
        done += n;
    }
}

// Creates the temporary file of a save of target; only this process can open it.
Descriptor CreateTemporary(const fs::path& target, fs::path& temporary, const fs::path& shown)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = detail::TemporaryPath(target, detail::UniqueText());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            return Descriptor(fd);
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throw OptError("Cannot create a temporary file beside " + DisplayPath(shown) + ": " + Reason(errno) + ".");
}

// The whole pages of the given size inside [data, data + size), as [from, to).
struct Inner {
    std::uintptr_t from;
    std::uintptr_t to;
};

Inner InnerPages(void* data, std::size_t size, std::uintptr_t page)
{
    const auto base = reinterpret_cast<std::uintptr_t>(data);
    return {(base + page - 1) / page * page, (base + size) / page * page};
}

} // namespace

std::vector<std::string> CommandLineWords(int argc, char** argv)
{
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

Entry Inspect(const fs::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {};
        }
        throw OptError("Cannot open " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }
    Entry entry;
    entry.device = static_cast<std::uint64_t>(info.st_dev);
    entry.index = static_cast<std::uint64_t>(info.st_ino);
    if (S_ISLNK(info.st_mode)) {
        entry.kind = EntryKind::Link;
    } else if (S_ISREG(info.st_mode)) {
        entry.kind = EntryKind::File;
    } else if (S_ISDIR(info.st_mode)) {
        entry.kind = EntryKind::Folder;
    } else {
        entry.kind = EntryKind::Other;
    }
    // Mode bits as well as access(): the administrator may write anything, but a file or folder
    // the user marked read-only is still not ours to change.
    const int needed = entry.kind == EntryKind::Folder ? W_OK | X_OK : W_OK;
    entry.readOnly = (info.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), needed) != 0;
    return entry;
}

fs::path ResolveLinks(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) {
        return path;
    }
    const fs::path target = fs::canonical(path, ec);
    if (ec) {
        throw OptError("Cannot follow the link " + DisplayPath(path) + ": " + ec.message() + ".");
    }
    return target;
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path)
{
    struct stat info {};
    const Descriptor fd = OpenRegular(path, info);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    AdviseLargePages(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ::ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw OptError("Cannot read " + DisplayPath(path) + ": " + Reason(errno) + ".");
        }
        if (n == 0) {
            bytes.resize(done); // the file shrank while we read it
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

MappedFile MappedFile::Open(const fs::path& path)
{
    struct stat info {};
    const Descriptor fd = OpenRegular(path, info);
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size == 0) {
        return MappedFile(nullptr, 0);
    }
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (data == MAP_FAILED) {
        throw OptError("Cannot read " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }
    return MappedFile(static_cast<const std::uint8_t*>(data), size);
}

void MappedFile::Unmap() noexcept
{
    if (data_ != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(data_), size_);
    }
    data_ = nullptr;
    size_ = 0;
}

void CheckReplaceable(const fs::path& path)
{
    detail::CheckReplaceableEntry(path, ResolveLinks(path));
}

void ReplaceFile(const fs::path& path, std::initializer_list<std::span<const std::uint8_t>> parts)
{
    CheckReplaceable(path);
    const fs::path target = ResolveLinks(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        throw OptError("Cannot open " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }

    fs::path temporary;
    Descriptor fd = CreateTemporary(target, temporary, path);
    try {
        std::int64_t offset = 0;
        for (const auto& part : parts) {
            WriteStartingFlush(fd.get(), part, offset, path);
        }
        if (::fchmod(fd.get(), info.st_mode & 07777) != 0 || ::fsync(fd.get()) != 0) {
            throw OptError("Cannot write " + DisplayPath(path) + ": " + Reason(errno) + ".");
        }
        if (::close(fd.release()) != 0) {
            throw OptError("Cannot write " + DisplayPath(path) + ": " + Reason(errno) + ".");
        }
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            throw OptError("Cannot replace " + DisplayPath(path) + ": " + Reason(errno) + ".");
        }
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    // Make the rename itself durable.
    Descriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
    detail::RemoveStaleTemporaries(target);
}

void WriteNewFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    // A pipe or a device that took the name is refused without waiting for a reader.
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (fd.get() < 0) {
        throw OptError("Cannot create " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw OptError("Cannot create " + DisplayPath(path) + ": something that is not a file has that name.");
    }
    WriteAll(fd.get(), bytes, path);
    if (::close(fd.release()) != 0) {
        throw OptError("Cannot write " + DisplayPath(path) + ": " + Reason(errno) + ".");
    }
}

void RemoveLeftover(const fs::path& path) noexcept
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        ::unlink(path.c_str());
    }
}

void AdviseLargePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size)
{
#ifdef MADV_HUGEPAGE
    const Inner inner = InnerPages(data, size, std::uintptr_t{2} << 20);
    if (inner.to > inner.from) {
        ::madvise(reinterpret_cast<void*>(inner.from), inner.to - inner.from, MADV_HUGEPAGE);
    }
#endif
}

void ReleasePages(void* data, std::size_t size)
{
    const Inner inner = InnerPages(data, size, static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)));
    if (inner.to > inner.from) {
        ::madvise(reinterpret_cast<void*>(inner.from), inner.to - inner.from, MADV_DONTNEED);
    }
}

} // namespace lathwork::platform
