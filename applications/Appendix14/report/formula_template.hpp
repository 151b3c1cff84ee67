// Formula templates with their placeholders looked up once: when the
// program is compiled for a template written in it, when it is made for a
// template put together at run time. The one-pass formula line reads the
// table instead of searching the text for "@" and "#".
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tx14 {

class FormulaTemplate {
public:
    static constexpr int kMaxPlaceholders = 6;  // what one SUBSTVALUES call fills
    static constexpr int kWidth = 120;          // the formula work buffer

    // A template written in the program: looked up at compile time.
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

    constexpr int placeholders() const { return count_; }
    constexpr int at(int k) const { return at_[static_cast<std::size_t>(k)]; }  // where its "@" stands
    constexpr char selector(int k) const { return selector_[static_cast<std::size_t>(k)]; }
    constexpr int end() const { return end_; }  // the first "#", or the end of the text

private:
    constexpr FormulaTemplate(std::string_view text, int);

    std::string_view text_;
    std::array<std::uint8_t, kMaxPlaceholders> at_{};
    std::array<char, kMaxPlaceholders> selector_{};
    std::uint8_t count_ = 0;
    std::uint8_t end_ = 0;
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
    while (i < last && text[i] != '#') {
        if (text[i] != '@') {
            ++i;
            continue;
        }
        if (count_ == kMaxPlaceholders || i + 1 == last)
            return;  // a seventh placeholder, or a "@" that takes the end mark as selector
        at_[count_] = static_cast<std::uint8_t>(i);
        selector_[count_] = text[i + 1];
        ++count_;
        i += 2;
    }
    end_ = static_cast<std::uint8_t>(i);
    constexpr int kGrowth = 8;  // a value of ten columns in place of "@" and its selector
    one_pass_ = end_ + kGrowth * count_ < kWidth;
}

}  // namespace tx14
