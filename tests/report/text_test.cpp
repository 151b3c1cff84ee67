// Text and formula lines: the blank squeezer at the edges of its buffers
// and the squeezed line against it, the special-character conversion, the
// template language (SUBSTVALUES, and fill_formula's one pass against
// TIDYFORMULA and the squeezer in the work buffer), SIGDIGITS. (BLANKZEROS,
// RESULTLINE and UNDERLINE: the goldens.)
#include "report/text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "report/formula.hpp"
#include "report/formula_block.hpp"
#include "report/rendering.hpp"
#include "report/report.hpp"
#include "report/squeezed_line.hpp"
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

// What the verified reports do not show: keep 1 shrinks every run, leaves
// one leading blank and squeezes the source too; larger keep counts copy the
// first keep-1 characters as they stand and leave the source alone; at most
// one less than the destination is written, and keep counts beyond both
// buffers stay inside.
TEST(Squeezer, ShrinksRunsOfBlanksAfterTheKeptPrefix)
{
    // dest: without trailing blanks unless below 100 wide; source: afterwards, if given
    const struct {
        const char* text;
        int keep;
        std::size_t src_width, dst_width;
        const char *dest, *source;
    } cases[] = {{"   Error   -    Shell  Side", 1, 120, 100, " Error - Shell Side", " Error - Shell Side"},
                 {" = 1.91 *   4(  1 +", 8, 120, 100, " = 1.91 * 4( 1 +", " = 1.91 *   4(  1 +"},
                 {"xxxxxxxxxxxxxxxx", 3, 120, 10, "xxxxxxxxx ", nullptr},
                 {"abc   def", 500, 9, 5, "abc  ", nullptr}};
    for (const auto& c : cases) {
        std::string source = padded(c.text, c.src_width), dest(c.dst_width, '?');
        squeeze_blanks(source, dest, c.keep);
        EXPECT_EQ(c.dst_width < 100 ? dest : unpadded(dest), c.dest) << c.text;
        EXPECT_TRUE(!c.source || unpadded(source) == c.source) << c.text;
    }
}

// A squeezed line written piece by piece, and the same pieces put side by
// side in the formula work buffer and squeezed from there.
TEST(SqueezedLine, WritesWhatTheSqueezerLeaves)
{
    std::uint32_t s = 7;
    for (int n = 0; n < 20000; ++n) {
        const int keep = "01238"[n % 5] - '0';
        const std::size_t width = n % 2 == 0 ? 100 : 78;
        std::string work(kFormulaWidth, ' '), line(width, '?');
        SqueezedLine out(line, keep, SqueezedLine::kSqueeze);
        int col = 1;
        while (col < 80) {  // the pieces end before the last column of the work buffer
            const std::uint32_t kind = (next(s) >> 8) % 4;
            const int field = static_cast<int>((next(s) >> 8) % 14);
            const char* const alphabets[] = {"   ab/,", "x1.-", "  cd", "9.-"};  // clean text: no blanks
            std::string t = random_line(alphabets[kind], static_cast<int>(next(s) >> 8), kind == 1 ? 8 : 12);
            if (kind == 3)
                t.insert(0, static_cast<std::size_t>(field), ' ');  // a number field: blanks, then digits
            col = kind == 2 ? put_right(work, col, field, t) : put(work, col, t);
            if (kind == 0)
                out.text(t);
            else if (kind == 1)
                out.clean_text(t);
            else if (kind == 2)
                out.right_aligned(t, field);
            else
                out.number_field(t);
        }
        out.finish();
        std::string squeezed(width, '?');
        squeeze_blanks(work, squeezed, keep);
        ASSERT_EQ(line, squeezed) << "keep " << keep << ", from \"" << unpadded(work) << "\"";
    }
}

TEST(SpecialCharacters, PlainNotationForEachCharacter)
{
    const std::string x96 = "a\xB2" + std::string(86, 'b') + "cdefghij";
    const std::pair<std::string, std::string> cases[] = {
        {"d\xB2/t\xB2", "d^(2)/t^(2)"},  // the rest of the line moves right
        {"a\xB3 1\xBD \xA9 \xB0R (E\xF8) it`s", "a^(3) 1^(.5) c  R (Ep) it's"},
        {"x\xB2   y", "x^(2)y"},                                             // three blanks are overwritten in place
        {"x\xB2 y     z", "x^(2) y  z"},                                     // a run of blanks keeps "z" in its column
        {"| g\xB2 | h\xB3 |", "| g2 | h3 |"},                                // table lines keep their width
        {std::string(98, 'x') + "\xB2", std::string(98, 'x') + "2"},         // a full line takes the plain digit
        {x96, "a^(2)" + x96.substr(2)},                                      // room at the end: nothing lost
        {std::string(99, 'x') + "\xBD", std::string(99, 'x')},               // one half in the last column: a blank
        {std::string(97, 'x') + "\xBDyy", std::string(97, 'x') + "\xBDyy"},  // no room: left alone
    };
    for (const auto& [before, after] : cases) {
        std::string line = padded(before, 100);
        convert_special_characters(line);
        EXPECT_EQ(unpadded(line), after) << before;
    }
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
