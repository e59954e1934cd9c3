#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <span>
#include <vector>

namespace lathwork {

// Reads a whole file with a single read; throws OptError naming the file on failure.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Throws OptError unless the file at path can be replaced: it exists, is not marked read-only,
// and its folder is not marked read-only. Symbolic links are followed.
void CheckReplaceable(const std::filesystem::path& path);

// Replaces the file at path with bytes so that a crash at any moment leaves either the old
// or the new contents: a temporary file in the same folder is written, flushed to disk and
// renamed over the original, keeping the original's permission bits. A symbolic link is
// replaced at its target and stays a link. On failure the original is untouched and the
// temporary file is removed. A process killed while saving leaves its temporary file
// (".NAME.lathwork-XXXXXX") beside the intact original; the next successful save of NAME
// removes such leftovers.
void ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// The same with the new contents given as consecutive parts.
void ReplaceFile(const std::filesystem::path& path,
                 std::initializer_list<std::span<const std::uint8_t>> parts);

// Writes a new file (or replaces one) in place; used for the bitmaps the tool creates.
void WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The path as text for messages.
std::string DisplayPath(const std::filesystem::path& path);

} // namespace lathwork
