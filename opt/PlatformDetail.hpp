#pragma once

// What the two implementations of the platform layer share; only they include this.

#include "opt/Platform.hpp"

#include <filesystem>
#include <string>
#include <string_view>

namespace lathwork::platform::detail {

// The name a save of target writes first, ".NAME.lathwork-" followed by unique.
std::filesystem::path TemporaryPath(const std::filesystem::path& target, std::string_view unique);
// Six random letters and digits for a temporary name.
std::string UniqueText();
// Removes the leftovers of killed saves of target: only regular files named exactly like
// TemporaryPath(target, UniqueText()) are touched.
void RemoveStaleTemporaries(const std::filesystem::path& target) noexcept;

// The folder a path lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

// Throws unless a file of size bytes can be an OPT.
void CheckSize(const std::filesystem::path& path, std::int64_t size);

// The checks of CheckReplaceable that need no system call of their own, on the resolved target.
void CheckReplaceableEntry(const std::filesystem::path& shown, const std::filesystem::path& target);

} // namespace lathwork::platform::detail
