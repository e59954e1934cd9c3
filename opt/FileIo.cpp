#include "opt/FileIo.hpp"

#include "opt/OptError.hpp"
#include "opt/PageAdvice.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace lathwork {

namespace {

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
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

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const fs::path& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ::ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw OptError("Cannot write " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
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

// The file a path finally names, following symbolic links.
fs::path ResolveTarget(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        const fs::path target = fs::canonical(path, ec);
        if (ec) {
            throw OptError("Cannot follow the link " + DisplayPath(path) + ": " + ec.message() + ".");
        }
        return target;
    }
    return path;
}

fs::path FolderOf(const fs::path& path)
{
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

constexpr std::string_view kTemporaryMark = ".lathwork-";
constexpr std::size_t kTemporaryUnique = 6; // the XXXXXX mkstemp fills in

// The name of the temporary file a save of target writes first: ".NAME.lathwork-XXXXXX".
std::string TemporaryPattern(const fs::path& target)
{
    return "." + target.filename().string() + std::string(kTemporaryMark) + std::string(kTemporaryUnique, 'X');
}

// A save that was killed (power cut, SIGKILL) leaves its temporary file behind; the original
// is intact then, and the next save of the same file removes what is left. Only regular files
// named exactly like our own temporaries are touched.
void RemoveStaleTemporaries(const fs::path& target)
{
    const std::string prefix = "." + target.filename().string() + std::string(kTemporaryMark);
    std::error_code ec;
    for (fs::directory_iterator it(FolderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + kTemporaryUnique && name.starts_with(prefix) &&
            it->symlink_status(ec).type() == fs::file_type::regular) {
            ::unlink(it->path().c_str());
        }
    }
}

} // namespace

std::string DisplayPath(const fs::path& path)
{
    return "\"" + path.string() + "\"";
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path)
{
    // O_NONBLOCK: a pipe named like an OPT must give an error, not wait for a writer. It does
    // not change how a regular file is read.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        throw OptError("Cannot open " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        throw OptError("Cannot read " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) {
        throw OptError("Cannot read " + DisplayPath(path) + ": it is not a regular file.");
    }
    if (info.st_size >= 0x80000000LL) {
        throw OptError("Cannot read " + DisplayPath(path) +
                       ": it is too large for an OPT file (2 GiB or more).");
    }
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
            throw OptError("Cannot read " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
        }
        if (n == 0) {
            bytes.resize(done); // the file shrank while we read it
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

void CheckReplaceable(const fs::path& path)
{
    const fs::path target = ResolveTarget(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        throw OptError("Cannot open " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
    }
    // Mode bits rather than access(): the administrator may write anything, but a file or
    // folder the user marked read-only is still not ours to change.
    if ((info.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0) {
        throw OptError("Cannot modify " + DisplayPath(path) + ": the file is read-only.");
    }
    const fs::path folder = FolderOf(target);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0 || (folderInfo.st_mode & S_IWUSR) == 0 ||
        ::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw OptError("Cannot modify " + DisplayPath(path) + ": its folder " +
                       DisplayPath(folder) + " is read-only.");
    }
}

void ReplaceFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    ReplaceFile(path, {bytes});
}

void ReplaceFile(const fs::path& path, std::initializer_list<std::span<const std::uint8_t>> parts)
{
    CheckReplaceable(path);
    const fs::path target = ResolveTarget(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        throw OptError("Cannot open " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
    }

    std::string pattern = (FolderOf(target) / TemporaryPattern(target)).string();
    Descriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) {
        throw OptError("Cannot create a temporary file beside " + DisplayPath(path) + ": " +
                       SystemReason(errno) + ".");
    }
    const fs::path temporary = pattern;
    try {
        std::int64_t offset = 0;
        for (const auto& part : parts) {
            WriteStartingFlush(fd.get(), part, offset, path);
        }
        if (::fchmod(fd.get(), info.st_mode & 07777) != 0 || ::fsync(fd.get()) != 0) {
            throw OptError("Cannot write " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
        }
        if (::close(fd.release()) != 0) {
            throw OptError("Cannot write " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
        }
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            throw OptError("Cannot replace " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
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
    RemoveStaleTemporaries(target);
}

void WriteNewFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    // A pipe or a device that took the name is refused without waiting for a reader.
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666));
    if (fd.get() < 0) {
        throw OptError("Cannot create " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw OptError("Cannot create " + DisplayPath(path) + ": something that is not a file has that name.");
    }
    WriteAll(fd.get(), bytes, path);
    if (::close(fd.release()) != 0) {
        throw OptError("Cannot write " + DisplayPath(path) + ": " + SystemReason(errno) + ".");
    }
}

} // namespace lathwork
