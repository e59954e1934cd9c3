#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

// The changes BEGIN made to each file, kept in memory so that Undo and Redo can take them back
// and make them again.
namespace lathwork::rules {

class ChangeHistory {
public:
    using Bytes = std::vector<std::uint8_t>;

    struct Change {
        Bytes before;          // the file before the BEGIN
        Bytes after;           // the file as the BEGIN wrote it
        std::uint64_t age = 0; // order of recording, over all files
        std::int64_t Size() const { return static_cast<std::int64_t>(before.size() + after.size()); }
    };

    // Each file keeps at most maxChanges changes (Undo and Redo together) and all files
    // together at most maxBytes; the oldest change goes first.
    static constexpr std::size_t kMaxChanges = 20;
    static constexpr std::int64_t kMaxBytes = std::int64_t{1} << 30;
    explicit ChangeHistory(std::size_t maxChanges = kMaxChanges, std::int64_t maxBytes = kMaxBytes);

    // A BEGIN changed file from before to after. It becomes what Undo takes back, and what
    // Redo would have made again in that file is forgotten. A BEGIN that changed nothing has
    // nothing to take back and is not kept; a change larger than all files may keep is not
    // kept either, and the file's earlier changes are dropped with it.
    void Record(const std::string& file, Bytes before, Bytes after);

    // What Undo would take back in file (the latest change not undone), or nullptr.
    const Change* UndoTarget(const std::string& file) const;
    // What Redo would make again (the latest change undone), or nullptr.
    const Change* RedoTarget(const std::string& file) const;
    // The target was taken back, or made again: it moves to the other side.
    void Undone(const std::string& file);
    void Redone(const std::string& file);

    // Changes of file that Undo (or Redo) could have reached were dropped to stay in bounds.
    bool UndoDropped(const std::string& file) const;
    bool RedoDropped(const std::string& file) const;

    std::int64_t KeptBytes() const { return bytes_; }

private:
    struct FileHistory {
        std::deque<Change> undo; // oldest first
        std::deque<Change> redo; // latest undone last
        bool undoDropped = false;
        bool redoDropped = false;
    };
    // Drops the oldest changes until every bound holds.
    void Trim();
    // Drops the oldest change of one file; false when it has none.
    bool DropOldest(FileHistory& history);

    std::size_t maxChanges_;
    std::int64_t maxBytes_;
    std::int64_t bytes_ = 0;
    std::uint64_t recorded_ = 0;
    std::map<std::string, FileHistory> files_;
};

} // namespace lathwork::rules
