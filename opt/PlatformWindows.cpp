// The platform layer on Windows: wide-character paths throughout, saves by one MoveFileExW.

#include "opt/Platform.hpp"

#include "opt/OptError.hpp"
#include "opt/PlatformDetail.hpp"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <io.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#undef ReplaceFile // a windows.h macro for ReplaceFileW; ours is the one in Platform.hpp

namespace fs = std::filesystem;

namespace lathwork::platform {

namespace {

using detail::FolderOf;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::size_t kChunk = std::size_t{1} << 30; // ReadFile and WriteFile take a DWORD count

std::string Utf8(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

// Another program holds the file open in a way that forbids what we asked.
bool HeldOpen(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The system's own text for an error, as one sentence without its full stop.
std::string Reason(DWORD error)
{
    if (HeldOpen(error)) {
        return "another program has the file open; close it there and try again";
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? Utf8(std::wstring_view(text, length)) : "system error " + std::to_string(error);
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                               reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

std::string LastReason()
{
    return Reason(::GetLastError());
}

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(other.release()) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release()
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

bool IsFolder(const fs::path& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A symbolic link or a junction, opened as itself. Other reparse points (files kept in the
// cloud, deduplicated files) act as the files they stand for.
bool IsLink(HANDLE handle, DWORD attributes)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
}

// True for a regular file on disk: not a device, pipe, console, folder or link.
bool RegularFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !IsLink(file, info.dwFileAttributes);
}

// Opens a regular file for reading, letting other programs read, write and rename it meanwhile.
Handle OpenRegular(const fs::path& path, std::int64_t& size)
{
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        if (IsFolder(path)) {
            throw OptError("Cannot read " + DisplayPath(path) + ": it is not a regular file.");
        }
        throw OptError("Cannot open " + DisplayPath(path) + ": " + Reason(error) + ".");
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw OptError("Cannot read " + DisplayPath(path) + ": it is not a regular file.");
    }
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file.get(), &length)) {
        throw OptError("Cannot read " + DisplayPath(path) + ": " + LastReason() + ".");
    }
    detail::CheckSize(path, length.QuadPart);
    size = length.QuadPart;
    return file;
}

void WriteAll(HANDLE file, std::span<const std::uint8_t> bytes, const fs::path& shown)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const auto step = static_cast<DWORD>(std::min(kChunk, bytes.size() - done));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, step, &written, nullptr)) {
            throw OptError("Cannot write " + DisplayPath(shown) + ": " + LastReason() + ".");
        }
        done += written;
    }
}

// Creates the temporary file of a save of target, shared with no one until it is closed.
Handle CreateTemporary(const fs::path& target, fs::path& temporary, const fs::path& shown)
{
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
        temporary = detail::TemporaryPath(target, detail::UniqueText());
        Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
        if (file.valid()) {
            return file;
        }
        error = ::GetLastError();
    }
    throw OptError("Cannot create a temporary file beside " + DisplayPath(shown) + ": " + Reason(error) + ".");
}

// What the new file takes over from the original besides its bytes: the attributes (read-only
// is refused earlier) and the creation time.
struct Original {
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    FILETIME created{};
    bool known = false;
};

Original Describe(const fs::path& target)
{
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    Original original;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD kept = data.dwFileAttributes & kKept;
        original.attributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
        original.created = data.ftCreationTime;
        original.known = true;
    }
    return original;
}

// Writes the new contents, puts them on disk and closes the file.
void WriteAndClose(Handle file, const Contents& contents, const Original& original, const fs::path& shown)
{
    contents([&](std::span<const std::uint8_t> part) { WriteAll(file.get(), part, shown); });
    if (original.known) {
        ::SetFileTime(file.get(), &original.created, nullptr, nullptr);
    }
    if (!::FlushFileBuffers(file.get()) || !::CloseHandle(file.release())) {
        throw OptError("Cannot write " + DisplayPath(shown) + ": " + LastReason() + ".");
    }
}

Entry EntryOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    Entry entry;
    entry.kind = EntryKind::File;
    entry.device = info.dwVolumeSerialNumber;
    entry.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    entry.links = info.nNumberOfLinks;
    entry.size = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    entry.modified = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                               info.ftLastWriteTime.dwLowDateTime);
    return entry;
}

// The save lock is a mutex named after the file's full path. A lock on the file itself would
// need a handle open on it, and Windows refuses to replace a file while any handle is open on
// it: every waiting save, and the lock's own handle, would make the replace fail. Another
// name for the same file gets another mutex; the check before the replace still guards it.
HANDLE LockSavePath(const fs::path& target)
{
    std::error_code ec;
    const fs::path full = fs::absolute(target, ec);
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a of the path, case folded as NTFS does
    for (const wchar_t ch : (ec ? target : full).lexically_normal().wstring()) {
        hash = (hash ^ static_cast<std::uint64_t>(::towupper(ch))) * 1099511628211ull;
    }
    std::wstring name = L"Local\\lathwork-save-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    }
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        return nullptr;
    }
    const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) { // abandoned: its holder died
        ::CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

// Asking for the right to delete a file fails while another program holds it open without
// allowing that; replacing it would fail the same way. The error, or ERROR_SUCCESS.
DWORD ProbeDelete(const fs::path& target)
{
    const Handle probe(::CreateFileW(target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return probe.valid() ? ERROR_SUCCESS : ::GetLastError();
}

} // namespace

std::vector<std::string> CommandLineWords(int argc, char** argv)
{
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr) {
        return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
    }
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i) {
        result.push_back(Utf8(words[i]));
    }
    ::LocalFree(words);
    return result;
}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

Utf8Console::Utf8Console() : previous_(::GetConsoleOutputCP())
{
    if (previous_ != 0 && previous_ != CP_UTF8) {
        ::SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console()
{
    if (previous_ != 0 && previous_ != CP_UTF8) {
        ::SetConsoleOutputCP(previous_);
    }
}

Entry Inspect(const fs::path& path)
{
    Handle handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return {};
        }
        throw OptError("Cannot open " + DisplayPath(path) + ": " + Reason(error) + ".");
    }
    Entry entry;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle.get(), &info)) {
        entry.kind = EntryKind::Other; // a device, a pipe or a console
        return entry;
    }
    entry = EntryOf(info);
    if (IsLink(handle.get(), info.dwFileAttributes)) {
        entry.kind = EntryKind::Link;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        entry.kind = EntryKind::Folder; // its read-only attribute means nothing to Windows
    } else {
        entry.kind = EntryKind::File;
        entry.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    return entry;
}

fs::path ResolveLinks(const fs::path& path)
{
    if (Inspect(path).kind != EntryKind::Link) {
        return path;
    }
    Handle handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = 0;
    while (handle.valid()) {
        length = ::GetFinalPathNameByHandleW(handle.get(), target.data(), static_cast<DWORD>(target.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length < target.size()) {
            break;
        }
        target.resize(length);
    }
    if (!handle.valid() || length == 0) {
        throw OptError("Cannot follow the link " + DisplayPath(path) + ": " + LastReason() + ".");
    }
    target.resize(length);
    return fs::path(target);
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path)
{
    std::int64_t size = 0;
    const Handle file = OpenRegular(path, size);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto step = static_cast<DWORD>(std::min(kChunk, bytes.size() - done));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, step, &read, nullptr)) {
            throw OptError("Cannot read " + DisplayPath(path) + ": " + LastReason() + ".");
        }
        if (read == 0) {
            bytes.resize(done); // the file shrank while we read it
            break;
        }
        done += read;
    }
    return bytes;
}

MappedFile MappedFile::Open(const fs::path& path, bool /*whole*/)
{
    // Windows maps pages as they are first read; the advice of whole has no simple match there.
    std::int64_t size = 0;
    const Handle file = OpenRegular(path, size);
    if (size == 0) {
        return MappedFile(nullptr, 0); // Windows cannot map an empty file
    }
    // The view keeps the file mapped after both handles are closed.
    const Handle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    const void* view = mapping.valid() ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view == nullptr) {
        throw OptError("Cannot read " + DisplayPath(path) + ": " + LastReason() + ".");
    }
    return MappedFile(static_cast<const std::uint8_t*>(view), static_cast<std::size_t>(size));
}

void MappedFile::Unmap() noexcept
{
    if (data_ != nullptr) {
        ::UnmapViewOfFile(data_);
    }
    data_ = nullptr;
    size_ = 0;
}

void CheckReplaceable(const fs::path& path, SaveOptions options)
{
    const fs::path target = ResolveLinks(path);
    detail::CheckReplaceableEntry(path, target, options);
    if (const DWORD error = ProbeDelete(target); error != ERROR_SUCCESS) {
        throw OptError("Cannot modify " + DisplayPath(path) + ": " + Reason(error) + ".");
    }
}

// A mutex belongs to the thread that took it: a GuardedSave is made and ended on one thread.
GuardedSave::GuardedSave(const fs::path& path, SaveOptions options)
    : shown_(path), target_(ResolveLinks(path)), options_(options)
{
    const HANDLE mutex = LockSavePath(target_);
    if (mutex == nullptr) {
        throw OptError("Cannot lock " + DisplayPath(path) + ": " + LastReason() + ".");
    }
    lock_ = reinterpret_cast<std::intptr_t>(mutex);
    noted_ = Inspect(target_);
    if (noted_.kind != EntryKind::File) {
        std::int64_t size = 0;
        OpenRegular(target_, size); // throws the reason
        throw OptError("Cannot read " + DisplayPath(path) + ": it is not a regular file.");
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
        const auto mutex = reinterpret_cast<HANDLE>(lock_);
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
        lock_ = -1;
    }
}

// A file open in another program cannot be replaced, even where it allows deleting: another
// save looking at it before it waits for the lock, or a virus scanner, holds it for a moment.
// The move is tried again for about a second, the file checked again before each try.
void GuardedSave::MoveOver(const fs::path& temporary) const
{
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(temporary.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return;
        }
        DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED && ProbeDelete(target_) == ERROR_SHARING_VIOLATION) {
            error = ERROR_SHARING_VIOLATION; // opened by another program since the check
        }
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 100) {
            throw OptError("Cannot replace " + DisplayPath(shown_) + ": " + Reason(error) + ".");
        }
        ::Sleep(10);
        CheckUnchanged();
    }
}

// The new file moves in with MoveFileExW, one rename that replaces the original, so the name
// holds the old file or the new one at every moment. (ReplaceFileW would also carry over access
// rights set on the file itself, but it is not one step everywhere: under Wine a process killed
// inside it leaves no model at all.)
std::vector<std::string> GuardedSave::Replace(const Contents& contents, const std::function<void()>& written)
{
    CheckReplaceable(shown_, options_);
    const Original original = Describe(target_);
    fs::path temporary;
    Handle file = CreateTemporary(target_, temporary, shown_);
    try {
        WriteAndClose(std::move(file), contents, original, shown_);
        ::SetFileAttributesW(temporary.c_str(), original.attributes); // the move keeps them
        if (written) {
            written(); // let go of the source at once: some systems refuse other writers a mapped file
        }
        detail::ReportSaveStep(SaveStep::Flushed, temporary);
        CheckUnchanged();
        MoveOver(temporary);
    } catch (...) {
        ::DeleteFileW(temporary.c_str());
        throw;
    }
    Unlock();
    detail::ReportSaveStep(SaveStep::Replaced, temporary);
    detail::RemoveStaleTemporaries(target_);
    return {};
}

void WriteNewFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    // Opening with the link flag and checking the type refuses a link, device or console that
    // has the name instead of writing through it.
    Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        throw OptError("Cannot create " + DisplayPath(path) + ": " + LastReason() + ".");
    }
    if (!RegularFile(file.get())) {
        throw OptError("Cannot create " + DisplayPath(path) + ": something that is not a file has that name.");
    }
    if (!::SetEndOfFile(file.get())) { // the new file is written from its first byte on
        throw OptError("Cannot write " + DisplayPath(path) + ": " + LastReason() + ".");
    }
    WriteAll(file.get(), bytes, path);
    if (!::CloseHandle(file.release())) {
        throw OptError("Cannot write " + DisplayPath(path) + ": " + LastReason() + ".");
    }
}

void RemoveLeftover(const fs::path& path) noexcept
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY)) == 0) {
        ::DeleteFileW(path.c_str());
    }
}

namespace detail {

// A running save opens its temporary file shared with no one, so the removal fails while it
// lives.
void RemoveUnheldTemporary(const fs::path& path) noexcept
{
    RemoveLeftover(path);
}

} // namespace detail

void AdviseLargePages(void*, std::size_t)
{
    // Large pages need a privilege ordinary users lack; the default pages serve.
}

void ReleasePages(void* data, std::size_t size)
{
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    const std::uintptr_t page = system.dwPageSize;
    const auto base = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (base + page - 1) / page * page;
    const std::uintptr_t to = (base + size) / page * page;
    if (to > from) {
        // The pages stay committed; the system may drop their contents instead of paging them out.
        ::VirtualAlloc(reinterpret_cast<void*>(from), to - from, MEM_RESET, PAGE_READWRITE);
    }
}

} // namespace lathwork::platform
