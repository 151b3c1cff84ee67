// A line as the blank squeezer leaves it, or a formula line as TIDYFORMULA
// and then the squeezer leave it, written as its characters arrive: for
// lines that would otherwise be built at full width in the formula work
// buffer only to be squeezed into the line buffer.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

#include "text.hpp"

namespace tx14 {

// The characters TIDYFORMULA closes blanks up to.
constexpr bool closes_up(char c)
{
    switch (c) {
    case '\xB2':
    case '\xB3':
    case '\xBD':
    case '^':
    case ',':
    case '/':
        return true;
    default:
        return false;
    }
}

// A run of blanks is held back until the character after it arrives. With
// the tidy rules a run goes when that character closes up or the one before
// the run is "/". A run that stays takes one blank in the line, or as many
// as fall into the squeezer's kept prefix, which counts in the text before
// squeezing (the line and the blanks squeezed out of it). The line takes as
// many characters as squeeze_blanks writes with the same keep count.
class SqueezedLine {
public:
    enum Rules { kSqueeze, kTidyAndSqueeze };

    SqueezedLine(Field line, int keep, Rules rules)
        : line_(line),
          limit_(static_cast<int>(line.size()) - (keep > 2 ? 1 : 0)),
          prefix_(keep > 2 ? keep : 1),
          tidy_(rules == kTidyAndSqueeze)
    {
    }

    void text(std::string_view s)
    {
        // The state in locals: the stores into the line might alias members.
        char* const out = line_.data();
        const int limit = limit_;
        int written = written_;
        int run = run_;
        char last = last_;
        for (const char c : s) {
            if (c == ' ') {
                ++run;
                continue;
            }
            if (run > 0) {
                written = end_run(written, run, last, c);
                run = 0;
            }
            if (written < limit)
                out[written] = c;
            ++written;
            last = c;
        }
        written_ = written;
        run_ = run;
        last_ = last;
    }

    // A text whose own blanks the rules keep, with a non-blank at either
    // end (a number, a clean stretch of a formula template): copied whole.
    void clean_text(std::string_view s)
    {
        if (run_ > 0)
            written_ = end_run(written_, run_, last_, s.front());
        run_ = 0;
        const int room = std::min(limit_ - written_, static_cast<int>(s.size()));
        if (room > 0)  // past the limit the line takes nothing more
            std::memcpy(line_.data() + written_, s.data(), static_cast<std::size_t>(room));
        written_ += static_cast<int>(s.size());
        last_ = s.back();
    }

    void blanks(int n) { run_ += n; }

    // A number field as field::fixed and its kin leave it: blanks, then a
    // text without blanks.
    void number_field(std::string_view field)
    {
        const std::size_t lead = std::min(field.find_first_not_of(' '), field.size());
        blanks(static_cast<int>(lead));
        if (lead < field.size())
            clean_text(field.substr(lead));
    }

    // A text right-aligned in a field of `width` blank columns, cut on the
    // left when it is longer, as put_right leaves it.
    void right_aligned(std::string_view s, int width)
    {
        const auto w = static_cast<std::size_t>(std::max(width, 0));
        if (s.size() > w)
            s.remove_prefix(s.size() - w);
        blanks(static_cast<int>(w - s.size()));
        text(s);
    }

    // Forgets the blanks held back (SUBSTVALUES goes on right behind the
    // text before a blank value).
    void drop_blanks() { run_ = 0; }

    // Blanks the rest of the line: the blanks held back are trailing ones.
    void finish() { blank(line_.subspan(static_cast<std::size_t>(std::min(written_, limit_)))); }

private:
    // Writes what is left of a run of blanks between `last` and `next`;
    // returns the length of the line after it.
    int end_run(int written, int run, char last, char next)
    {
        if (tidy_ && (last == '/' || closes_up(next)))
            return written;  // tidied away
        const int before = written + squeezed_out_;
        const int kept = before >= prefix_ ? 1 : std::min(run, prefix_ - before);
        for (int k = 0; k < kept; ++k, ++written)
            if (written < limit_)
                line_[static_cast<std::size_t>(written)] = ' ';
        squeezed_out_ += run - kept;
        return written;
    }

    Field line_;
    int limit_;
    int prefix_;
    bool tidy_;
    int written_ = 0;       // characters of the squeezed line so far
    int squeezed_out_ = 0;  // blanks the squeezer dropped so far
    int run_ = 0;           // blanks held back
    char last_ = 0;         // the last character that is not a blank
};

}  // namespace tx14
