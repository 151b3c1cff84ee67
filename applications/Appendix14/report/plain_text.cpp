// Plain-text conversion of report lines: for hosts that cannot show the
// superscripts, the one-half, the copyright and degree signs and the theta,
// each report line can be rewritten in plain notation before it is written.
#include <cstring>

#include "report.hpp"

namespace tx14 {
namespace {

constexpr char kSuperTwo = '\xB2';
constexpr char kSuperThree = '\xB3';
constexpr char kOneHalf = '\xBD';
constexpr char kCopyright = '\xA9';
constexpr char kDegree = '\xB0';
constexpr char kTheta = '\xF8';  // stands for the theta of "(E\xF8)*"

// Positions p count from 1 over a line of L characters.
struct Line {
    Field f;
    int L() const { return static_cast<int>(f.size()); }
    char& at(int p) { return f[static_cast<std::size_t>(p - 1)]; }
    bool blank_at(int p) { return p > L() || at(p) == ' '; }  // past the end counts as blank

    int find(char c)
    {
        const void* hit = std::memchr(f.data(), c, f.size());
        return hit ? static_cast<int>(static_cast<const char*>(hit) - f.data()) + 1 : 0;
    }

    // Moves characters p..L `by` places to the right; the last ones are lost.
    void shift_right(int p, int by)
    {
        if (p + by <= L())
            std::memmove(&at(p + by), &at(p), static_cast<std::size_t>(L() - p - by + 1));
    }

    // Deletes positions p..p+count-1; the rest moves left, blanks enter at the end.
    void erase(int p, int count)
    {
        if (p > L())
            return;
        int last = std::min(L(), p + count - 1);
        int removed = last - p + 1;
        std::memmove(&at(p), &at(p) + removed, static_cast<std::size_t>(L() - last));
        std::memset(&at(L() - removed + 1), ' ', static_cast<std::size_t>(removed));
    }

    void write(int p, std::string_view text) { put(f, p, text); }
};

// A superscript two or three at p: "^(2)" where the line has room, the
// plain digit in a table line (one with bars) or a full line.
void widen_superscript(Line& line, int p, char digit)
{
    const int L = line.L();
    const int T = last_nonblank(line.f);
    if (line.find('|') != 0 || !(T < L - 3)) {
        line.at(p) = digit;
        return;
    }
    bool moved = false;
    if (!(line.blank_at(p + 1) && line.blank_at(p + 2) && line.blank_at(p + 3))) {
        line.shift_right(p, 3);
        moved = true;
    }
    const char text[5] = {'^', '(', digit, ')', '\0'};
    line.write(p, text);
    // Keep text that follows a run of blanks in its column.
    if (moved && line.blank_at(p + 6) && line.blank_at(p + 7) && line.blank_at(p + 8) && line.blank_at(p + 9) &&
        line.blank_at(p + 10))
        line.erase(p + 6, 3);
}

// The one-half: "^(.5)" where four more characters fit, a blank in the last
// position, else left alone. Returns false when the rule is done.
bool widen_one_half(Line& line)
{
    const int L = line.L();
    int p = line.find(kOneHalf);
    if (p == 0)
        return false;
    if (p == L) {
        line.at(p) = ' ';
        return false;
    }
    if (p < L - 3) {
        line.shift_right(p, 4);
        line.write(p, "^(.5)");
        return true;
    }
    return false;
}

void replace_all(Line& line, char from, char to)
{
    for (char& c : line.f)
        if (c == from)
            c = to;
}

}  // namespace

void convert_special_characters(Field text)
{
    Line line{text};
    // The rules are applied in their order to the first occurrence of each
    // character, starting again after every change; the later rules never
    // bring back an earlier rule's character, so each can run to the end.
    for (int p; (p = line.find(kSuperTwo)) != 0;)
        widen_superscript(line, p, '2');
    for (int p; (p = line.find(kSuperThree)) != 0;)
        widen_superscript(line, p, '3');
    while (widen_one_half(line)) {
    }
    replace_all(line, kCopyright, 'c');
    replace_all(line, kDegree, ' ');
    replace_all(line, kTheta, 'p');
    replace_all(line, '`', '\'');
}

}  // namespace tx14
