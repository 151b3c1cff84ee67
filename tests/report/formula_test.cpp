// Formula and result lines: the template language (SUBSTVALUES,
// TIDYFORMULA, fill_formula and its one-pass form), SIGDIGITS, BLANKZEROS
// (RESULTLINE and UNDERLINE: the goldens).
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

// The next number of a fixed sequence.
std::uint32_t next(std::uint32_t& s) { return s = s * 1664525u + 1013904223u; }

// Line n of a fixed sequence of lines of 1 to `longest` characters drawn from `alphabet`.
std::string random_line(std::string_view alphabet, int n, std::size_t longest)
{
    std::uint32_t s = static_cast<std::uint32_t>(n) * 2654435761u;
    std::string line(1 + static_cast<std::size_t>(n) % longest, ' ');
    for (char& c : line)
        c = alphabet[(next(s) >> 16) % alphabet.size()];
    return line;
}

TEST(Substitution, RenderingRules)
{
    const struct {
        std::string tmpl;
        std::vector<float> values;
        std::string expected;
    } cases[] = {
        {" = @0", {-2.5f}, " = -3"},          // halves away from zero
        {" = @2", {700000.4f}, " = 700000"},  // above 500000: whole number
        {" = @1", {2.0e8f}, " = .20000E+09"},
        {" = @3", {-1.5e8f}, " =   -0.2E+09"},                      // too wide: one digit
        {" @4 @4 @4", {3.0f, 12.9991f, 1.9995f}, " 3.0 13.0 2.0"},  // near-integers
        {" @4 @5 @2", {12.5f, 5.0f, 0.5f}, " 12.5 5.0  0.5"},       // trailing zeros
        {" = @8", {1234.5f}, " =  0.123E+04"},
        {" = @9 end", {1234.5f}, " = end"},  // unknown selector: consumed, blank
        {" = @0 + @3 + @4", {std::nanf(""), -kInf, kInf}, " = NaN +  -Infinity +   Infinity"},
        {" = @2 + @2", {7}, " = 7.0 + 0.0"},  // placeholder beyond the values: zero
        // The seventh placeholder and everything after it is copied.
        {" @1 @1 @1 @1 @1 @1 @4 / @4", {1, 2, 3, 4, 5, 6}, " 1.0 2.0 3.0 4.0 5.0 6.0 @4/@4#"},
        // Never past column 120, not even with an end marker.
        {std::string(115, 'x') + "@4@4", {12345.5f, 9}, std::string(115, 'x') + "12345"},
    };
    for (const auto& c : cases) {
        std::string work = padded(c.tmpl, kFormulaWidth);
        SUBSTVALUES(work, c.values);
        EXPECT_EQ(unpadded(work), c.expected) << c.tmpl;
    }
}

// Values of every kind SUBSTVALUES renders differently: random bit
// patterns, small, near-whole (with a blank after their decimals or filling
// the field), halves at the last decimal, wide, huge, whole from 500000 on,
// zero and non-finite.
float awkward_value(std::uint32_t& s)
{
    const std::uint32_t bits = next(s);
    const float u = static_cast<float>(bits >> 8) / 16777216.0f;  // [0, 1)
    const float sign = bits & 1u << 7 ? -1.0f : 1.0f;
    // clang-format off
    const float kinds[] = {std::bit_cast<float>(bits), u, 2e-6f * u,
                           sign * (std::round(u * 20000.0f) + (bits & 1u << 6 ? 0.0001f : 0.9996f)),
                           sign * std::ldexp(std::round(u * 4096.0f) + 0.5f, -2), sign * u * 1e9f, sign * u * 1.2e8f,
                           400000.0f + u * 200000.0f, sign * std::round(u * 100.0f), sign * 0.0f,
                           u < 0.3f ? kInf : u < 0.6f ? -kInf : std::nanf(""),
                           sign * u * std::pow(10.0f, static_cast<float>(bits % 9))};
    // clang-format on
    return kinds[(next(s) >> 16) % std::size(kinds)];
}

// The one-pass line of a template is the line fill_formula, TIDYFORMULA and
// squeeze_blanks leave in the work buffer: on templates at the edges of the
// one pass, then on random templates with placeholders of every selector
// (and now and then "@" before any character).
TEST(FormulaLine, OnePassGivesTheLineOfTheWorkBuffer)
{
    const char* const edges[] = {
        " = @4 * @4 #dropped @4",
        " = @1 @1 @1 @1 @1 @1 @1",  // a seventh: SUBSTVALUES copies it
        " = @#",                    // a selector even where it is "#"
        " = @4 @",                  // a "@" that would take the end mark
        "@0@0@0@0@0@0: 71 characters, so that six values of ten columns stay in.",
        "@0@0@0@0@0@0: 72 characters, so that six values of ten columns reach 120",
    };
    std::uint32_t s = 2024;
    int one_pass = 0;
    for (int n = 0; n < 100000; ++n) {
        std::string tmpl = random_line("  @@@@/^,\xB2\xB3\xBD()*+-=.#x10", n, 64);
        for (std::size_t at = tmpl.find('@'); at != std::string::npos; at = tmpl.find('@', at + 2))
            if (at + 1 < tmpl.size() && n % 7 != 0)
                tmpl[at + 1] = "0123456789"[next(s) % 10];
        if (n < 6000)
            tmpl = edges[n % std::size(edges)];
        std::vector<float> values(n < 6000 ? 6 : static_cast<std::size_t>(n % 8));
        for (float& v : values)
            v = n < 6000 && n % 2 ? -1.5e9f : awkward_value(s);
        const int keep = "01237888"[n % 8] - '0';
        const std::size_t width = n % 3 == 0 ? 78 : 100;
        const auto parsed = FormulaTemplate::parse(tmpl);
        if (!parsed.one_pass() || values.size() > 6)
            continue;
        ++one_pass;
        Report r;
        fill_formula(r, tmpl, values);
        std::string line(width, '?'), squeezed(width, '?');
        squeeze_blanks(r.work, squeezed, keep);
        fill_formula_line(line, parsed, values, keep);
        ASSERT_EQ(line, squeezed) << "template \"" << tmpl << "\" keep " << keep;
    }
    EXPECT_GT(one_pass, 50000);  // most templates take the one pass
}

// The tidy rules applied literally, one deletion at a time: for each
// character in turn, while a blank stands directly before it, delete that
// blank; then while a "/" that is not the last non-blank is followed by a
// blank, delete the blank.
std::string tidied_step_by_step(std::string line)
{
    auto delete_at = [&](std::size_t at) {
        line.erase(at, 1);
        line += ' ';
    };
    for (char c : {'\xB2', '\xB3', '\xBD', '^', ',', '/'})
        for (std::size_t at; (at = line.find(std::string{' ', c})) != std::string::npos;)
            delete_at(at);
    for (std::size_t at; (at = line.find("/ ")) != std::string::npos && at + 1 < line.find_last_not_of(' ') + 1;)
        delete_at(at + 1);
    return line;
}

// The zero search done the slow way: the first rendering of the table
// found anywhere in the row, replaced, and again from the start.
void blank_zeros_by_the_table(std::string& row, int dots)
{
    const std::string zeros[] = {" 0.0 ", " 0.00 ", " 0.000 ", " 0.0000 ", " 0.00000 ", " 0 ", " 0.00E+00 ", " 0. "};
    for (auto zero = std::begin(zeros); zero != std::end(zeros);) {
        const std::size_t at = row.find(*zero), end = at + zero->size();
        if (at == std::string::npos) {
            ++zero;
            continue;
        }
        row.replace(at, zero->size(), zero->size(), ' ');
        for (std::size_t k = 2; dots == 1 && k <= 4 && k <= end; ++k)
            row[end - k] = '.';
        zero = std::begin(zeros);
    }
}

// TIDYFORMULA on lines mostly of blanks and the characters its rules act
// on; BLANKZEROS on rows crowded with zero renderings.
TEST(TidyAndBlankZeros, SameAsTheRulesAppliedTheSlowWay)
{
    for (int n = 0; n < 20000; ++n) {
        const std::string line = padded(random_line("      /^,\xB2\xB3\xBD(a1-*", n, 120), 120);
        std::string tidied = line;
        TIDYFORMULA(tidied);
        ASSERT_EQ(tidied, tidied_step_by_step(line)) << line;
        std::string row = random_line("   0000.|E+1", n, 40), expected = row;
        blank_zeros_by_the_table(expected, n % 2);
        BLANKZEROS(row, n % 2);
        ASSERT_EQ(row, expected);
    }
}

// 2.19995 to 4 digits: nudged once, then clean; the engineering form keeps
// a trailing blank.
TEST(SigDigits, RightAlignedWithNoiseAndZerosCleanedUp)
{
    const struct {
        float v;
        int n;
        const char* expected;
    } cases[] = {
        {2.5f, 3, "2.5"},           {1.0f, 3, "1"},          {0.0f, 3, "0"},           {1234.6f, 3, "1235"},
        {2.5e7f, 3, "25000000"},    {0.1f, 3, "0.1"},        {1999.9f, 3, "2000"},     {-12.5f, 3, "-12.5"},
        {1234567.8f, 3, "1234567"}, {0.05f, 3, "0.05"},      {0.1875f, 3, "0.188"},    {2.1999f, 3, "2.2"},
        {-0.30001f, 3, "-0.3"},     {2.19995f, 4, "2.2"},    {3.0e9f, 3, "3.00E+09 "}, {-4.5e12f, 3, "-4.50E+12 "},
        {kInf, 3, "Infinity"},      {-kInf, 3, "-Infinity"}, {std::nanf(""), 3, "NaN"}};
    char text[kSigDigitsWidth];
    for (const auto& c : cases) {
        SIGDIGITS(c.v, text, c.n);
        EXPECT_EQ(std::string(text, sizeof text), std::string(16 - std::strlen(c.expected), ' ') + c.expected) << c.v;
    }
}

}  // namespace
