#include "app/rules/ChangeHistory.hpp"

namespace lathwork::rules {

ChangeHistory::ChangeHistory(std::size_t maxChanges, std::int64_t maxBytes)
    : maxChanges_(maxChanges), maxBytes_(maxBytes)
{
}

void ChangeHistory::Record(const std::string& file, Bytes before, Bytes after)
{
    if (before == after) {
        return;
    }
    FileHistory& history = files_[file];
    for (const Change& forgotten : history.redo) {
        bytes_ -= forgotten.Size();
    }
    history.redo.clear();
    history.redoDropped = false;
    Change change{std::move(before), std::move(after), ++recorded_};
    if (change.Size() > maxBytes_) {
        // Too large to keep; the earlier changes cannot be reached past it either.
        while (DropOldest(history)) {
        }
        history.undoDropped = true;
        return;
    }
    bytes_ += change.Size();
    history.undo.push_back(std::move(change));
    Trim();
}

const ChangeHistory::Change* ChangeHistory::UndoTarget(const std::string& file) const
{
    const auto found = files_.find(file);
    return found == files_.end() || found->second.undo.empty() ? nullptr : &found->second.undo.back();
}

const ChangeHistory::Change* ChangeHistory::RedoTarget(const std::string& file) const
{
    const auto found = files_.find(file);
    return found == files_.end() || found->second.redo.empty() ? nullptr : &found->second.redo.back();
}

void ChangeHistory::Undone(const std::string& file)
{
    FileHistory& history = files_[file];
    if (!history.undo.empty()) {
        history.redo.push_back(std::move(history.undo.back()));
        history.undo.pop_back();
    }
}

void ChangeHistory::Redone(const std::string& file)
{
    FileHistory& history = files_[file];
    if (!history.redo.empty()) {
        history.undo.push_back(std::move(history.redo.back()));
        history.redo.pop_back();
    }
}

bool ChangeHistory::UndoDropped(const std::string& file) const
{
    const auto found = files_.find(file);
    return found != files_.end() && found->second.undoDropped;
}

bool ChangeHistory::RedoDropped(const std::string& file) const
{
    const auto found = files_.find(file);
    return found != files_.end() && found->second.redoDropped;
}

bool ChangeHistory::DropOldest(FileHistory& history)
{
    // Undo's oldest change is older than anything Redo holds. On the Redo side the one farthest
    // away goes: the next one stays reachable.
    std::deque<Change>& side = history.undo.empty() ? history.redo : history.undo;
    if (side.empty()) {
        return false;
    }
    (&side == &history.undo ? history.undoDropped : history.redoDropped) = true;
    bytes_ -= side.front().Size();
    side.pop_front();
    return true;
}

void ChangeHistory::Trim()
{
    for (auto& [file, history] : files_) {
        while (history.undo.size() + history.redo.size() > maxChanges_ && DropOldest(history)) {
        }
    }
    while (bytes_ > maxBytes_) {
        FileHistory* oldest = nullptr;
        std::uint64_t age = 0;
        for (auto& [file, history] : files_) {
            const std::deque<Change>& side = history.undo.empty() ? history.redo : history.undo;
            if (!side.empty() && (oldest == nullptr || side.front().age < age)) {
                oldest = &history;
                age = side.front().age;
            }
        }
        if (oldest == nullptr || !DropOldest(*oldest)) {
            return;
        }
    }
}

} // namespace lathwork::rules
