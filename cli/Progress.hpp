#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

namespace lathwork::cli {

// One line on a terminal that tells how far long work has come, rewritten in place. Nothing is
// shown during the first second, so short work stays silent, and the line is redrawn at most
// ten times a second. Clear it before anything else is written to the terminal.
class Progress {
public:
    using Clock = std::chrono::steady_clock;

    // shown false: the line never appears (not a terminal, or --quiet).
    Progress(std::ostream& terminal, bool shown, Clock::time_point start = Clock::now());
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // The newest state of the work; drawn when it is time to.
    void Update(const std::string& text, Clock::time_point now = Clock::now());
    // Removes the line, if one is drawn.
    void Clear();

private:
    std::ostream& terminal_;
    bool shown_;
    Clock::time_point start_;
    Clock::time_point drawn_{};
    std::size_t width_ = 0; // of the line on the terminal; 0 when none is drawn
};

} // namespace lathwork::cli
