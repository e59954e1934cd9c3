#pragma once

// What the two implementations of the platform layer share; only they include this.

#include "opt/Platform.hpp"

#include <filesystem>
#include <string>
#include <string_view>

namespace lathwork::platform::detail {

// The name a save of target writes first, ".NAME.lathwork-" followed by unique; for a NAME so
// long that this would pass the usual 255-byte limit, ".lathwork-" followed by unique.
std::filesystem::path TemporaryPath(const std::filesystem::path& target, std::string_view unique);
// Six random letters and digits for a temporary name.
std::string UniqueText();
// Once per folder and process: removes the leftovers of killed saves in target's folder. Only
// files named like a TemporaryPath are looked at, and only those no running save holds
// (RemoveUnheldTemporary) are removed.
void RemoveStaleTemporaries(const std::filesystem::path& target) noexcept;
// Removes the temporary file at path unless a running save holds it (per system).
void RemoveUnheldTemporary(const std::filesystem::path& path) noexcept;

// Runs the test hook of SetSaveStepHook, if one is set.
void ReportSaveStep(SaveStep step, const std::filesystem::path& temporary);

// The refusals of CheckReplaceable for a file noted by Inspect: other names without breakLinks.
void CheckLinks(const std::filesystem::path& shown, const Entry& file, SaveOptions options);

// Throws "changed by another program; nothing written" unless now is the file noted.
void CheckSameFile(const std::filesystem::path& shown, const Entry& noted, const Entry& now);

// The folder a path lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

// Throws unless a file of size bytes can be an OPT.
void CheckSize(const std::filesystem::path& path, std::int64_t size);

// The checks of CheckReplaceable that need no system call of their own, on the resolved target.
void CheckReplaceableEntry(const std::filesystem::path& shown, const std::filesystem::path& target,
                           SaveOptions options);

} // namespace lathwork::platform::detail
