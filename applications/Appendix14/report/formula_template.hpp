// Formula templates read once: when the program is compiled for a template
// written in it, when it is made for a template put together at run time.
// The table tells the one-pass formula line where the values go and which
// stretches of plain text between them tidying and squeezing leave as they
// stand, so that a line costs about the characters it writes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "squeezed_line.hpp"

namespace tx14 {

class FormulaTemplate {
public:
    static constexpr int kMaxPlaceholders = 6;  // what one SUBSTVALUES call fills
    static constexpr int kWidth = 120;          // the formula work buffer

    // The plain text before a placeholder, or after the last one up to the
    // end of the template: blanks, a body from a non-blank to a non-blank,
    // blanks. A clean body is one whose own blanks the tidy and squeeze
    // rules keep: single blanks, none after "/" or before a closing
    // character.
    struct Segment {
        std::uint8_t lead = 0;
        std::uint8_t length = 0;
        std::uint8_t trail = 0;
        bool clean = false;
    };

    // A template written in the program: read at compile time.
    consteval FormulaTemplate(const char* text) : FormulaTemplate(std::string_view(text), 0) {}

    // A template put together at run time.
    static constexpr FormulaTemplate parse(std::string_view text) { return {text, 0}; }

    // The whole template, as SUBSTVALUES takes it.
    constexpr std::string_view text() const { return text_; }

    // Whether the one-pass line reproduces SUBSTVALUES on this template:
    // at most six placeholders, each with its selector, and a filled line
    // that cannot reach the last column of the work buffer (ten columns per
    // value at most), so that nothing is ever cut.
    constexpr bool one_pass() const { return one_pass_; }

    // The segments follow each other, a placeholder of two characters
    // between two of them: segment k, placeholder k, segment k + 1.
    constexpr int placeholders() const { return count_; }
    constexpr const Segment& segment(int k) const { return segments_[static_cast<std::size_t>(k)]; }
    constexpr char selector(int k) const { return selector_[static_cast<std::size_t>(k)]; }

private:
    constexpr FormulaTemplate(std::string_view text, int);
    constexpr Segment read_segment(std::size_t from, std::size_t to) const;

    std::string_view text_;
    std::array<Segment, kMaxPlaceholders + 1> segments_{};
    std::array<char, kMaxPlaceholders> selector_{};
    std::uint8_t count_ = 0;
    bool one_pass_ = false;
};

// The template as SUBSTVALUES reads it: up to its last non-blank, which is
// where SUBSTVALUES puts its end mark, or up to a "#" before that; a "@"
// and the character after it are a placeholder, whatever that character.
constexpr FormulaTemplate::FormulaTemplate(std::string_view text, int) : text_(text)
{
    std::size_t last = text.size();
    while (last > 0 && text[last - 1] == ' ')
        --last;
    if (text.size() > kWidth)
        return;  // cut by the work buffer: not one pass
    std::size_t i = 0;
    std::size_t from = 0;  // the segment being read
    while (i < last && text[i] != '#') {
        if (text[i] != '@') {
            ++i;
            continue;
        }
        if (count_ == kMaxPlaceholders || i + 1 == last)
            return;  // a seventh placeholder, or a "@" that takes the end mark as selector
        segments_[count_] = read_segment(from, i);
        selector_[count_] = text[i + 1];
        ++count_;
        i += 2;
        from = i;
    }
    segments_[count_] = read_segment(from, i);
    constexpr std::size_t kGrowth = 8;  // a value of ten columns in place of "@" and its selector
    one_pass_ = i + kGrowth * count_ < kWidth;
}

constexpr FormulaTemplate::Segment FormulaTemplate::read_segment(std::size_t from, std::size_t to) const
{
    std::size_t first = from;
    while (first < to && text_[first] == ' ')
        ++first;
    std::size_t end = to;
    while (end > first && text_[end - 1] == ' ')
        --end;
    bool clean = true;
    for (std::size_t i = first + 1; i < end; ++i)
        if (text_[i] == ' ' && (text_[i + 1] == ' ' || text_[i - 1] == '/' || closes_up(text_[i + 1])))
            clean = false;
    return {static_cast<std::uint8_t>(first - from), static_cast<std::uint8_t>(end - first),
            static_cast<std::uint8_t>(to - end), clean};
}

}  // namespace tx14
