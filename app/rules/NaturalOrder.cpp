#include "app/rules/NaturalOrder.hpp"

#include <cctype>

namespace lathwork::rules {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The run of digits starting at i, without its leading zeros; i moves past the run.
std::string_view DigitRun(std::string_view s, std::size_t& i)
{
    const std::size_t start = i;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
    }
    std::string_view run = s.substr(start, i - start);
    while (run.size() > 1 && run.front() == '0') {
        run.remove_prefix(1);
    }
    return run;
}

// Negative, zero or positive as a sorts before, with or after b, ignoring case and zeros.
int Compare(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string_view x = DigitRun(a, i);
            const std::string_view y = DigitRun(b, j);
            if (x.size() != y.size()) {
                return x.size() < y.size() ? -1 : 1; // more digits, larger value
            }
            if (const int order = x.compare(y); order != 0) {
                return order;
            }
            continue;
        }
        const char x = Folded(a[i++]);
        const char y = Folded(b[j++]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return (i < a.size()) - (j < b.size());
}

} // namespace

bool NaturalLess(std::string_view a, std::string_view b)
{
    const int order = Compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

} // namespace lathwork::rules
