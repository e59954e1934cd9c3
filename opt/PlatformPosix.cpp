// The platform layer on Linux and other POSIX systems.

#include "opt/Platform.hpp"

#include "opt/OptError.hpp"
#include "opt/PlatformDetail.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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

Entry EntryOf(const struct stat& info)
{
    Entry entry;
    entry.device = static_cast<std::uint64_t>(info.st_dev);
    entry.index = static_cast<std::uint64_t>(info.st_ino);
    entry.links = static_cast<std::uint32_t>(info.st_nlink);
    entry.size = static_cast<std::int64_t>(info.st_size);
    entry.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (S_ISLNK(info.st_mode)) {
        entry.kind = EntryKind::Link;
    } else if (S_ISREG(info.st_mode)) {
        entry.kind = EntryKind::File;
    } else if (S_ISDIR(info.st_mode)) {
        entry.kind = EntryKind::Folder;
    } else {
        entry.kind = EntryKind::Other;
    }
    return entry;
}

// Takes an exclusive advisory lock on fd, waiting for it. A file system that keeps no locks
// (some network and user-space ones) counts as locked: the check before the replace still
// catches a save that came between.
bool LockExclusive(int fd)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Whether the name path still stands for the file open as fd.
bool StillNamed(int fd, const fs::path& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// Creates the temporary file of a save of target; only this process can open it. It stays
// locked while it lives, so that the clearing of leftovers in another process passes it by.
// That clearing may take a new file in the moment before it is locked: then it is made again.
Descriptor CreateTemporary(const fs::path& target, fs::path& temporary, const fs::path& shown)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = detail::TemporaryPath(target, detail::UniqueText());
        Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd.get() < 0) {
            if (errno != EEXIST) {
                break;
            }
            continue;
        }
        if (LockExclusive(fd.get()) && StillNamed(fd.get(), temporary)) {
            return fd;
        }
    }
    throw OptError("Cannot create a temporary file beside " + DisplayPath(shown) + ": " + Reason(errno) + ".");
}

// Gives the new file the original's owner, group and permission bits (in that order: a change
// of owner clears the set-user-ID bits). An owner this user may not give files to is a warning.
void KeepOwnerAndMode(int fd, const struct stat& original, const fs::path& shown, std::vector<std::string>& warnings)
{
    struct stat made {};
    if (::fstat(fd, &made) == 0 && (made.st_uid != original.st_uid || made.st_gid != original.st_gid) &&
        ::fchown(fd, original.st_uid, original.st_gid) != 0) {
        warnings.push_back("Saved " + DisplayPath(shown) + ", but it now belongs to this user: its owner and group "
                           "could not be kept (" + Reason(errno) + ").");
    }
    if (::fchmod(fd, original.st_mode & 07777) != 0) {
        throw OptError("Cannot write " + DisplayPath(shown) + ": " + Reason(errno) + ".");
    }
}

// In a folder with the sticky bit, only the owner of a file (or of the folder, or the
// administrator) may replace it.
void CheckSticky(const fs::path& shown, const fs::path& target)
{
    struct stat file {};
    struct stat folder {};
    const uid_t user = ::geteuid();
    if (::stat(target.c_str(), &file) == 0 && ::stat(FolderOf(target).c_str(), &folder) == 0 &&
        (folder.st_mode & S_ISVTX) != 0 && user != 0 && user != file.st_uid && user != folder.st_uid) {
        throw OptError("Cannot modify " + DisplayPath(shown) + ": its folder lets only the file's owner replace it "
                       "(the sticky bit), and it belongs to another user.");
    }
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
    Entry entry = EntryOf(info);
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

MappedFile MappedFile::Open(const fs::path& path, [[maybe_unused]] bool whole)
{
    struct stat info {};
    const Descriptor fd = OpenRegular(path, info);
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size == 0) {
        return MappedFile(nullptr, 0);
    }
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    flags |= whole ? MAP_POPULATE : 0;
#endif
    void* data = ::mmap(nullptr, size, PROT_READ, flags, fd.get(), 0);
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

void CheckReplaceable(const fs::path& path, SaveOptions options)
{
    const fs::path target = ResolveLinks(path);
    detail::CheckReplaceableEntry(path, target, options);
    CheckSticky(path, target);
}

GuardedSave::GuardedSave(const fs::path& path, SaveOptions options)
    : shown_(path), target_(ResolveLinks(path)), options_(options)
{
    // Another save that held the lock has usually replaced the file by the time it lets go:
    // the lock then belongs to a file no longer named, and the new one is locked instead.
    for (int attempt = 0; lock_ < 0; ++attempt) {
        struct stat info {};
        Descriptor fd = OpenRegular(target_, info);
        if (!LockExclusive(fd.get()) || ::fstat(fd.get(), &info) != 0) {
            throw OptError("Cannot lock " + DisplayPath(path) + ": " + Reason(errno) + ".");
        }
        if (StillNamed(fd.get(), target_)) {
            noted_ = EntryOf(info);
            lock_ = fd.release();
        } else if (attempt >= 100) {
            detail::CheckSameFile(shown_, EntryOf(info), Inspect(target_)); // throws
        }
    }
    detail::CheckLinks(shown_, noted_, options_);
}

GuardedSave::~GuardedSave()
{
    Unlock();
}

void GuardedSave::Unlock() noexcept
{
    if (lock_ >= 0) {
        ::close(static_cast<int>(lock_)); // closing the last descriptor releases the lock
        lock_ = -1;
    }
}

std::vector<std::string> GuardedSave::Replace(const Contents& contents, const std::function<void()>& written)
{
    CheckReplaceable(shown_, options_);
    struct stat info {};
    if (::stat(target_.c_str(), &info) != 0) {
        throw OptError("Cannot open " + DisplayPath(shown_) + ": " + Reason(errno) + ".");
    }

    std::vector<std::string> warnings;
    fs::path temporary;
    Descriptor fd = CreateTemporary(target_, temporary, shown_);
    try {
        std::int64_t offset = 0;
        contents([&](std::span<const std::uint8_t> part) { WriteStartingFlush(fd.get(), part, offset, shown_); });
        KeepOwnerAndMode(fd.get(), info, shown_, warnings);
        if (::fsync(fd.get()) != 0) {
            throw OptError("Cannot write " + DisplayPath(shown_) + ": " + Reason(errno) + ".");
        }
        if (written) {
            written(); // let go of the source at once: some systems refuse other writers a mapped file
        }
        detail::ReportSaveStep(SaveStep::Flushed, temporary);
        CheckUnchanged();
        if (::rename(temporary.c_str(), target_.c_str()) != 0) {
            throw OptError("Cannot replace " + DisplayPath(shown_) + ": " + Reason(errno) + ".");
        }
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    // The temporary stays locked until its name is the file's: the clearing of leftovers in
    // another process never takes it. Closing it may report a delayed write error.
    if (::close(fd.release()) != 0) {
        warnings.push_back("Saved " + DisplayPath(shown_) + ", but closing it reported: " + Reason(errno) + ".");
    }
    Unlock();
    // Make the rename itself durable.
    Descriptor folder(::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
    detail::ReportSaveStep(SaveStep::Replaced, temporary);
    detail::RemoveStaleTemporaries(target_);
    return warnings;
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

namespace detail {

// A running save holds its temporary file locked; a killed one's lock died with it. The file
// is removed only while this process holds the lock, and only if the name is still that file.
void RemoveUnheldTemporary(const fs::path& path) noexcept
{
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (fd.get() >= 0 && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && StillNamed(fd.get(), path)) {
        ::unlink(path.c_str());
    }
}

} // namespace detail

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
