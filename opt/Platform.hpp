#pragma once

// The one place where the core meets the operating system: files, memory advice, path text and
// the command line. PlatformPosix.cpp and PlatformWindows.cpp implement it, one of them chosen
// when the build is configured; Platform.cpp holds what both share (PlatformDetail.hpp). Nothing else in the core
// includes a system header. Every failure is an OptError whose message names the file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lathwork::platform {

// ---- Path text. Paths travel as UTF-8 text on every system (Windows keeps them as UTF-16, and
// its narrow conversions would go through the ANSI code page and lose characters).
std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);
// The path as text for messages: control bytes (and DEL) are shown as \xHH, so that a name
// cannot move the cursor or hide part of a message. DisplayPath puts it in quotes.
std::string ShownPath(const std::filesystem::path& path);
std::string DisplayPath(const std::filesystem::path& path);

// The program's arguments after its name, as UTF-8.
std::vector<std::string> CommandLineWords(int argc, char** argv);

// Whether the program's standard error goes to a terminal (not a pipe or a file).
bool StandardErrorIsTerminal();

// While one lives, text the program writes to a console shows as UTF-8 (only Windows needs it).
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    [[maybe_unused]] unsigned previous_ = 0; // the code page to restore (Windows)
};

// ---- What stands at a path.
enum class EntryKind { Missing, File, Link, Folder, Other };

struct Entry {
    EntryKind kind = EntryKind::Missing;
    // Marked read-only for this user: no owner write bit or no write access (POSIX), the
    // read-only attribute (Windows, files only: Windows does not honour it on folders).
    bool readOnly = false;
    // Identifies the file across names (device and inode, or volume and file index).
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    // Names the file has (hard links), its size and its last modification (nanoseconds since
    // the epoch on POSIX, 100 ns units on Windows); files and folders only.
    std::uint32_t links = 1;
    std::int64_t size = 0;
    std::int64_t modified = 0;

    bool SameAs(const Entry& other) const
    {
        return kind != EntryKind::Missing && device == other.device && index == other.index;
    }
};

// Looks at path itself, not at what a link there points to. A missing entry is no error; any
// other failure to look (no permission, a broken path) throws.
Entry Inspect(const std::filesystem::path& path);

// The file a path finally names, following links; the path itself when it is no link.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

// ---- Reading.
// Files of 2 GiB or more are refused by both readers: an OPT cannot address them.
inline constexpr std::int64_t kLargestFile = 0x7FFFFFFF;

// Reads a whole regular file. Pipes, devices and folders are refused at once, never waited on.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// A regular file mapped read-only into memory, for operations that only read. An empty file
// gives an empty span. Another program that shortens the file while it is mapped can make reads
// of the lost part fail hard, so hold a mapping only for one operation; and on Windows a mapped
// file cannot be replaced until the mapping is gone.
class MappedFile {
public:
    // whole: the caller reads every byte (a rewrite), so the pages are mapped all at once
    // where the system can, instead of one fault at a time as they are first read.
    static MappedFile Open(const std::filesystem::path& path, bool whole = false);

    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

private:
    MappedFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    void Unmap() noexcept;

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// ---- Writing.
// New contents handed over a piece at a time: called once, it passes every piece to write, in
// order, so that they need never stand whole in memory.
using Contents = std::function<void(const std::function<void(std::span<const std::uint8_t>)>& write)>;

struct SaveOptions {
    // Rewrite a file that has other names (hard links) too: only the name saved gets the new
    // contents, the others keep the old ones. Without it such a file is refused.
    bool breakLinks = false;
};

// Throws OptError unless the file at path can be replaced: it exists, is not marked read-only,
// its folder is not marked read-only (where the system honours that), a sticky folder lets
// this user replace it (POSIX), it has no other names (unless options.breakLinks), and
// (Windows) no other program holds it open in a way that forbids replacing it. Links are followed.
void CheckReplaceable(const std::filesystem::path& path, SaveOptions options = {});

// One save of a file, from loading it to replacing it. The constructor takes an advisory lock
// on the file (another save of it by this program, in this process or another, waits until
// this one has replaced the file or given up) and notes what the file is: its identity, size
// and modification time. Replace writes the new contents only while the file is still exactly
// that, so a change another program made meanwhile is never overwritten; otherwise it throws
// "... changed by another program; nothing written". Programs that take no lock are caught
// by that check alone. Make and end a GuardedSave on one thread (Windows ties its lock to the
// thread that took it).
class GuardedSave {
public:
    explicit GuardedSave(const std::filesystem::path& path, SaveOptions options = {});
    ~GuardedSave();
    GuardedSave(const GuardedSave&) = delete;
    GuardedSave& operator=(const GuardedSave&) = delete;

    // The locked file's bytes, checked to be the file noted, mapped whole (see MappedFile).
    MappedFile Map() const;
    // Throws unless the file at the path is still the one noted.
    void CheckUnchanged() const;
    // Replaces the file as ReplaceFile does, after CheckUnchanged; the lock is released.
    // Returns warnings about what could not be kept (the owner or group where this user may not
    // give the file to them); the new contents are saved all the same.
    std::vector<std::string> Replace(std::initializer_list<std::span<const std::uint8_t>> parts);
    // The same for contents handed over in pieces. written runs once they are on disk, before
    // they replace the file: the moment to let go of a mapping of the file, which cannot be
    // replaced while mapped on every system.
    std::vector<std::string> Replace(const Contents& contents, const std::function<void()>& written = {});

private:
    void Unlock() noexcept;
#ifdef _WIN32
    void MoveOver(const std::filesystem::path& temporary) const;
#endif

    std::filesystem::path shown_;  // as the caller named it, for messages
    std::filesystem::path target_; // links followed
    SaveOptions options_;
    Entry noted_;
    std::intptr_t lock_ = -1; // descriptor or handle holding the lock
};

// Replaces the file at path so that a crash at any moment leaves either the old or the new
// contents: a temporary file in the same folder is written, flushed to disk and moved over the
// original in one rename, keeping the original's permission bits (POSIX) or its attributes and
// creation time (Windows; access rights come from the folder, as for any new file there). A link
// is replaced at its target and stays a link. On failure the original is untouched and the
// temporary file is removed. On POSIX the owner and group are kept too where this user may. A
// process killed while saving leaves its temporary file (".NAME.lathwork-XXXXXX", or
// ".lathwork-XXXXXX" for a NAME too long to take the mark) beside the intact original; the first
// save in that folder by a later process removes such leftovers that no running save holds.
// ReplaceFile is a GuardedSave replaced at once; it returns the warnings of Replace.
std::vector<std::string> ReplaceFile(const std::filesystem::path& path,
                                     std::initializer_list<std::span<const std::uint8_t>> parts);
std::vector<std::string> ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The steps of a save a test can watch: the new file is complete and on disk (Flushed), it
// replaced the old one (Replaced). The hook runs on the saving thread; empty for none.
enum class SaveStep { Flushed, Replaced };
void SetSaveStepHook(std::function<void(SaveStep, const std::filesystem::path& temporary)> hook);

// Writes a new file (or replaces one) in place; used for the bitmaps the tool creates. A link,
// pipe or device that has the name is refused, never written through or waited on.
void WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Removes the regular file at path, if there is one; anything else of that name stays. Never
// throws: for clearing up after a failure or after an earlier killed save.
void RemoveLeftover(const std::filesystem::path& path) noexcept;

// ---- Memory advice for large buffers. Only advice: where the system has no such call or
// refuses it, nothing changes.
// Back the whole 2 MiB pages inside [data, data + size) with large pages where the system
// offers them. Call before the buffer is first written.
void AdviseLargePages(void* data, std::size_t size);
// Hand the whole pages inside [data, data + size) back to the system; their contents are lost
// (zero on Linux, undefined on Windows). For bytes that will never be read again.
void ReleasePages(void* data, std::size_t size);

} // namespace lathwork::platform
