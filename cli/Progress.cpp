#include "cli/Progress.hpp"

#include <ostream>

namespace lathwork::cli {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
// Narrower than any terminal, so that the line never wraps and \r returns to its start.
constexpr std::size_t kWidth = 79;

// The last kWidth bytes of text at most (a path's file name is at its end), cut where a UTF-8
// character starts; control characters (a file name may hold them) become '?'.
std::string Fitted(std::string text)
{
    for (char& ch : text) {
        ch = static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? '?' : ch;
    }
    if (text.size() <= kWidth) {
        return text;
    }
    std::size_t from = text.size() - (kWidth - 3);
    while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) {
        ++from;
    }
    return "..." + text.substr(from);
}

} // namespace

Progress::Progress(std::ostream& terminal, bool shown, Clock::time_point start)
    : terminal_(terminal), shown_(shown), start_(start)
{
}

Progress::~Progress()
{
    Clear();
}

void Progress::Update(const std::string& text, Clock::time_point now)
{
    if (!shown_ || now - start_ < kQuietStart || now - drawn_ < kRedrawEvery) {
        return;
    }
    const std::string line = Fitted(text);
    // Counted in bytes: a line of multi-byte characters clears a little more than it covers.
    const std::size_t blanks = width_ > line.size() ? width_ - line.size() : 0;
    terminal_ << '\r' << line << std::string(blanks, ' ') << std::flush;
    width_ = line.size() + blanks;
    drawn_ = now;
}

void Progress::Clear()
{
    if (width_ != 0) {
        terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }
}

} // namespace lathwork::cli
