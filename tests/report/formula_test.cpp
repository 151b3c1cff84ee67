// Formula and result lines: the template language (SUBSTVALUES,
// TIDYFORMULA, fill_formula), SIGDIGITS, BLANKZEROS (RESULTLINE and
// UNDERLINE: the goldens).
#include "report/formula.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#include "report/formula_block.hpp"
#include "report/rendering.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::padded;
using test::unpadded;

constexpr float kInf = std::numeric_limits<float>::infinity();

// Line n of a fixed sequence of lines of 1 to `longest` characters drawn from `alphabet`.
std::string random_line(std::string_view alphabet, int n, std::size_t longest)
{
    std::uint32_t s = static_cast<std::uint32_t>(n) * 2654435761u;
    std::string line(1 + static_cast<std::size_t>(n) % longest, ' ');
    for (char& c : line) {
        s = s * 1664525u + 1013904223u;
        c = alphabet[(s >> 16) % alphabet.size()];
    }
    return line;
}

std::string substituted(std::string_view tmpl, std::vector<float> values)
{
    std::string work = padded(tmpl, kFormulaWidth);
    SUBSTVALUES(work, values);
    EXPECT_EQ(work.size(), 120u);
    return unpadded(work);
}

struct Case {
    std::string tmpl;
    std::vector<float> values;
    std::string expected;
};

TEST(Substitution, RenderingRules)
{
    const Case cases[] = {
        {" = @4 * 1.414", {0.25f}, " =  0.25 * 1.414"},  // small values keep a leading blank
        {" = @4 / .875 * 1.414", {12.5f}, " = 12.5/.875 * 1.414"},
        {" = @0", {-2.5f}, " = -3"},          // halves away from zero
        {" = @2", {700000.4f}, " = 700000"},  // above 500000: whole number
        {" = @1", {2.0e8f}, " = .20000E+09"},
        {" = @3", {-1.5e8f}, " =   -0.2E+09"},  // too wide: one digit
        {" @2 @3 @4", {0, 0, 0}, " 0.0 0.0 0.0"},
        {" @4 @4 @4", {3.0f, 12.9991f, 1.9995f}, " 3.0 13.0 2.0"},  // near-integers
        {" @4 @5 @2", {12.5f, 5.0f, 0.5f}, " 12.5 5.0  0.5"},       // trailing zeros
        {" (@2", {0.5f}, " ( 0.5"},
        {" = @8", {1234.5f}, " =  0.123E+04"},
        {" = @9 end", {1234.5f}, " = end"},  // unknown selector: consumed, blank
        {" = @2 * [@2]", {2, 3}, " = 2.0 * [3.0]"},
        {" = @2 # dropped", {4}, " = 4.0"},
        {" = no placeholders  ,  here", {}, " = no placeholders,  here"},
        {" = @2", {-0.25f}, " = -0.25"},
        {" = @0 + @3 + @4", {std::nanf(""), -kInf, kInf}, " = NaN +  -Infinity +   Infinity"},
        {" = @2 + @2", {7}, " = 7.0 + 0.0"},  // placeholder beyond the values: zero
        // The seventh placeholder and everything after it is copied.
        {" @1 @1 @1 @1 @1 @1 @4 / @4", {1, 2, 3, 4, 5, 6}, " 1.0 2.0 3.0 4.0 5.0 6.0 @4/@4#"},
        // Never past column 120, not even with an end marker.
        {std::string(115, 'x') + "@4@4", {12345.5f, 9}, std::string(115, 'x') + "12345"},
        {std::string(120, 'y'), {}, std::string(120, 'y')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(substituted(c.tmpl, c.values), c.expected) << c.tmpl;
}

TEST(FillFormula, SevenValuesFillSevenPlaceholders)
{
    const std::string tmpl = " = @0 @0 @0 @0 @0 @0 @0";
    const Case cases[] = {
        {tmpl, {1, 2, 3, 4, 5, 6, 7}, " = 1 2 3 4 5 6 7"},
        {tmpl, {1, 2, 3, 4, 5, 6}, " = 1 2 3 4 5 6 @0#"},  // the end marker travels with it
    };
    for (const Case& c : cases) {
        Report r;
        fill_formula(r, c.tmpl, c.values);
        EXPECT_EQ(trimmed(r.work), c.expected);
    }
}

// The next number of a fixed sequence.
std::uint32_t next(std::uint32_t& s)
{
    s = s * 1664525u + 1013904223u;
    return s;
}

// Values of every kind SUBSTVALUES renders differently: small, near-whole
// (with a blank after their decimals or filling the field), halves at the
// last decimal, wide, huge, negative, zero and non-finite, and random bit
// patterns.
float awkward_value(std::uint32_t& s)
{
    const std::uint32_t pick = next(s) >> 28;
    const std::uint32_t bits = next(s);
    const float u = static_cast<float>(bits >> 8) / 16777216.0f;  // [0, 1)
    const float sign = bits & 1u << 7 ? -1.0f : 1.0f;
    switch (pick) {
    case 0:
        return std::bit_cast<float>(bits);
    case 1:
        return u;
    case 2:
        return 2e-6f * u;
    case 3:
        return sign * (std::round(u * 20000.0f) + (bits & 1u << 6 ? 0.0001f : 0.9996f));
    case 4:
        return sign * std::ldexp(std::round(u * 4096.0f) + 0.5f, -2);
    case 5:
        return sign * u * 1e9f;
    case 6:
        return sign * u * 1.2e8f;
    case 7:
        return 400000.0f + u * 200000.0f;  // whole numbers from 500000 on
    case 8:
        return sign * std::round(u * 100.0f);
    case 9:
        return sign * 0.0f;
    case 10:
        return u < 0.3f ? kInf : u < 0.6f ? -kInf : std::nanf("");
    default:
        return sign * u * std::pow(10.0f, static_cast<float>(bits % 9));
    }
}

// Fills, tidies and squeezes through the formula work buffer, as
// fill_formula and write_formula_line do.
std::string through_work_buffer(const std::string& tmpl, std::span<const float> values, int keep, std::size_t width)
{
    Report r;
    fill_formula(r, tmpl, values);
    std::string line(width, '?');
    squeeze_blanks(r.work, line, keep);
    return line;
}

TEST(FormulaLine, OnePassGivesTheLineOfTheWorkBuffer)
{
    std::uint32_t s = 2024;
    int one_pass = 0;
    for (int n = 0; n < 100000; ++n) {
        // Templates of formula text with placeholders of every selector
        // (and now and then "@" before any character).
        std::string tmpl = random_line("  @@@@/^,\xB2\xB3\xBD()*+-=.#x10", n, 64);
        for (std::size_t at = tmpl.find('@'); at != std::string::npos; at = tmpl.find('@', at + 2))
            if (at + 1 < tmpl.size() && n % 7 != 0)
                tmpl[at + 1] = "0123456789"[next(s) % 10];
        std::vector<float> values(static_cast<std::size_t>(n % 8));
        for (float& v : values)
            v = awkward_value(s);
        const int keep = "01237888"[n % 8] - '0';
        const std::size_t width = n % 3 == 0 ? 78 : 100;
        const auto parsed = FormulaTemplate::parse(tmpl);
        if (!parsed.one_pass() || values.size() > 6)
            continue;
        ++one_pass;
        std::string line(width, '?');
        fill_formula_line(line, parsed, values, keep);
        ASSERT_EQ(line, through_work_buffer(tmpl, values, keep, width)) << "template \"" << tmpl << "\" keep " << keep;
    }
    EXPECT_GT(one_pass, 50000);  // most templates take the one pass
}

TEST(FormulaLine, TemplatesTheOnePassLeavesToTheWorkBuffer)
{
    const struct {
        const char* text;
        bool one_pass;
        int placeholders;
    } cases[] = {
        {" = @4 * @4 #dropped @4", true, 2},  // the end mark stops the placeholders
        {" = @1 @1 @1 @1 @1 @1", true, 6},
        {" = @1 @1 @1 @1 @1 @1 @1", false, 6},  // a seventh: SUBSTVALUES copies it
        {" = @#", true, 1},                     // a selector even where it is "#"
        {" = @4 @", false, 1},                  // a "@" that would take the end mark
        {"@0@0@0@0@0@0: 71 characters, so that six values of ten columns stay in.", true, 6},
        {"@0@0@0@0@0@0: 72 characters, so that six values of ten columns reach 120", false, 6},
    };
    for (const auto& c : cases) {
        const auto t = FormulaTemplate::parse(c.text);
        EXPECT_EQ(t.one_pass(), c.one_pass) << c.text;
        EXPECT_EQ(t.placeholders(), c.placeholders) << c.text;
    }
    static_assert(FormulaTemplate(" = ( @4 * @4 ) / @2").placeholders() == 3);
}

// The tidy rules applied literally, one deletion at a time: for each
// character in turn, while a blank stands directly before it, delete that
// blank; then while a "/" that is not the last non-blank is followed by a
// blank, delete the blank.
std::string tidied_step_by_step(std::string line)
{
    auto last_nonblank = [&] { return line.find_last_not_of(' ') + 1; };
    auto delete_at = [&](std::size_t at) {
        line.erase(at, 1);
        line += ' ';
    };
    if (line.find_first_not_of(' ') == std::string::npos)
        return line;
    for (char c : {'\xB2', '\xB3', '\xBD', '^', ',', '/'})
        for (std::size_t at; (at = line.find(std::string{' ', c})) != std::string::npos;)
            delete_at(at);
    for (std::size_t at; (at = line.find("/ ")) != std::string::npos && at + 1 < last_nonblank();)
        delete_at(at + 1);
    return line;
}

TEST(Tidy, SamePassAsTheRulesOneDeletionAtATime)
{
    for (int n = 0; n < 20000; ++n) {
        // Lines mostly of blanks and the characters the rules act on.
        const std::string line = padded(random_line("      /^,\xB2\xB3\xBD(a1-*", n, 120), 120);
        std::string tidied = line;
        TIDYFORMULA(tidied);
        ASSERT_EQ(tidied, tidied_step_by_step(line)) << line;
    }
}

std::string sig(float v, int n)
{
    char text[kSigDigitsWidth];
    SIGDIGITS(v, text, n);
    return std::string(text, sizeof text);
}

TEST(SigDigits, RightAlignedWithNoiseAndZerosCleanedUp)
{
    const struct {
        float v;
        int n;
        const char* expected;
    } cases[] = {
        {2.5f, 3, "2.5"},
        {1.0f, 3, "1"},
        {0.0f, 3, "0"},
        {1234.6f, 3, "1235"},
        {500000.0f, 3, "500000"},
        {2.5e7f, 3, "25000000"},
        {0.1f, 3, "0.1"},
        {1999.9f, 3, "2000"},
        {-12.5f, 3, "-12.5"},
        {1234567.8f, 3, "1234567"},
        {0.05f, 3, "0.05"},
        {0.1875f, 3, "0.188"},
        {2.1999f, 3, "2.2"},
        {-0.30001f, 3, "-0.3"},
        {2.19995f, 4, "2.2"},  // nudged once, then clean
        {3.0e9f, 3, "3.00E+09 "},
        {-4.5e12f, 3, "-4.50E+12 "},  // engineering form keeps a trailing blank
        {kInf, 3, "Infinity"},
        {-kInf, 3, "-Infinity"},
        {std::nanf(""), 3, "NaN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sig(c.v, c.n), std::string(16 - std::strlen(c.expected), ' ') + c.expected) << c.v;
    for (int n : {-1000000, -3, 0, 9, 40, 1000000})
        EXPECT_EQ(sig(123.456f, n).size(), 16u) << n;  // any digit count stays inside the field
}

TEST(BlankZeros, EveryZeroRenderingBecomesDots)
{
    const struct {
        std::string row;
        int dots;
        const char* expected;
    } cases[] = {
        {"|      0.0 |   12.5 |      0 |", 1, "|      ... |   12.5 |    ... |"},
        {"a 0.00 b 0.000 c 0.00E+00 d 0. e 10.0 f -0.0 g", 1, "a  ... b   ... c      ... d... e 10.0 f -0.0 g"},
        {"| 0 |", 0, "|   |"},
        {"x 0 0.0 y 0.", 1, "... ... y 0."},  // " 0.0 " first in the table, then " 0 "; " 0." needs its blank
        {" 0 x", 1, ".. x"},                  // the first dot would fall before the row
    };
    for (auto c : cases) {
        BLANKZEROS(c.row, c.dots);
        EXPECT_EQ(c.row, c.expected);
    }
}

// The zero search done the slow way: the first rendering of the table
// found anywhere in the row, replaced, and again from the start.
void blank_zeros_by_the_table(std::string& row, int dots)
{
    static const char* const zeros[] = {" 0.0 ",     " 0.00 ", " 0.000 ",    " 0.0000 ",
                                        " 0.00000 ", " 0 ",    " 0.00E+00 ", " 0. "};
    for (;;) {
        std::size_t at = std::string::npos, length = 0;
        for (const char* zero : zeros)
            if ((at = row.find(zero)) != std::string::npos) {
                length = std::strlen(zero);
                break;
            }
        if (at == std::string::npos)
            return;
        row.replace(at, length, length, ' ');
        for (long c = static_cast<long>(at + length) - 4; dots == 1 && c <= static_cast<long>(at + length) - 2; ++c)
            if (c >= 0)
                row[static_cast<std::size_t>(c)] = '.';
    }
}

TEST(BlankZeros, SameAsSearchingTheTableInOrder)
{
    for (int n = 0; n < 20000; ++n) {
        std::string row = random_line("   0000.|E+1", n, 40);  // crowded with zero renderings
        std::string expected = row;
        blank_zeros_by_the_table(expected, n % 2);
        BLANKZEROS(row, n % 2);
        ASSERT_EQ(row, expected);
    }
}

}  // namespace
