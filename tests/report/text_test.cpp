// Fixed-width text: the blank squeezer at the edges of its buffers, the
// special-character conversion, where a text ends, right-aligned fields.
#include "report/text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "report/report.hpp"
#include "report/squeezed_line.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::padded;
using test::unpadded;

// dest: without trailing blanks unless below 100 wide; source: afterwards, if given.
struct SqueezeCase {
    const char* text;
    int keep;
    std::size_t src_width, dst_width;
    const char *dest, *source;
};

TEST(Squeezer, ShrinksRunsOfBlanksAfterTheKeptPrefix)
{
    const SqueezeCase cases[] = {
        // The modes the reports use are pinned by the verified reports; here what they do not show.
        // Keep 1: every run shrinks, one leading blank stays, the source is squeezed too.
        {"   Error   -    Shell  Side", 1, 120, 100, " Error - Shell Side", " Error - Shell Side"},
        // Larger keep counts copy the first keep-1 characters as they stand and leave the source alone.
        {" = 1.91 *   4(  1 +", 8, 120, 100, " = 1.91 * 4( 1 +", " = 1.91 *   4(  1 +"},
        // At most one less than the destination; keep counts beyond both buffers stay inside.
        {"xxxxxxxxxxxxxxxx", 3, 120, 10, "xxxxxxxxx ", nullptr},
        {"abc   def", 500, 9, 5, "abc  ", nullptr},
    };
    for (const SqueezeCase& c : cases) {
        std::string source = padded(c.text, c.src_width), dest(c.dst_width, '?');
        squeeze_blanks(source, dest, c.keep);
        EXPECT_EQ(c.dst_width < 100 ? dest : unpadded(dest), c.dest) << c.text;
        if (c.source) {
            EXPECT_EQ(unpadded(source), c.source) << c.text;
        }
    }
    std::string blank(120, ' '), dest(100, '?');
    squeeze_blanks(blank, dest, 2);
    EXPECT_EQ(dest, std::string(100, ' '));
}

// A squeezed line written piece by piece, and the same pieces put side by
// side in the formula work buffer and squeezed from there.
TEST(SqueezedLine, WritesWhatTheSqueezerLeaves)
{
    std::uint32_t s = 7;
    const auto next = [&](std::uint32_t n) {
        s = s * 1664525u + 1013904223u;
        return (s >> 8) % n;
    };
    const auto random_text = [&](std::string_view alphabet, std::size_t longest) {
        std::string t(next(static_cast<std::uint32_t>(longest)) + 1, ' ');
        for (char& c : t)
            c = alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
        return t;
    };
    for (int n = 0; n < 20000; ++n) {
        const int keep = "01238"[n % 5] - '0';
        const std::size_t width = n % 2 == 0 ? 100 : 78;
        std::string work(kFormulaWidth, ' '), line(width, '?');
        SqueezedLine out(line, keep, SqueezedLine::kSqueeze);
        int col = 1;
        while (col < 80) {  // the pieces end before the last column of the work buffer
            const std::uint32_t kind = next(4);
            if (kind == 0) {
                const std::string t = random_text("   ab/,", 12);
                col = put(work, col, t);
                out.text(t);
            } else if (kind == 1) {
                const std::string t = random_text("x1.-", 8);  // no blanks
                col = put(work, col, t);
                out.clean_text(t);
            } else if (kind == 2) {
                const std::string t = random_text("  cd", 12);
                const int field = static_cast<int>(next(14));
                col = put_right(work, col, field, t);
                out.right_aligned(t, field);
            } else {
                std::string field(next(12) + 1, ' ');  // a number field: blanks, then digits
                put_right(field, 1, static_cast<int>(field.size()), random_text("9.-", 12));
                col = put(work, col, field);
                out.number_field(field);
            }
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
        {"a\xB3 + b", "a^(3) + b"},
        {"x\xB2   y", "x^(2)y"},               // three blanks are overwritten in place
        {"x\xB2 y     z", "x^(2) y  z"},       // a run of blanks keeps "z" in its column
        {"| g\xB2 | h\xB3 |", "| g2 | h3 |"},  // table lines keep their width
        {"1\xBD inch", "1^(.5) inch"},
        {"Copyright \xA9 2026", "Copyright c 2026"},
        {"Temperature \xB0"
         "F",
         "Temperature  F"},
        {"(E\xF8)*", "(Ep)*"},
        {"it`s", "it's"},
        {std::string(98, 'x') + "\xB2", std::string(98, 'x') + "2"},  // a full line takes the plain digit
        {x96, "a^(2)" + x96.substr(2)},                               // room at the end: nothing lost
        {std::string(99, 'x') + "\xBD", std::string(99, 'x')},        // one half in the last column: a blank
        {std::string(97, 'x') + "\xBD"
                                "yy",
         std::string(97, 'x') + "\xBD"
                                "yy"},  // no room: left alone
    };
    for (const auto& [before, after] : cases) {
        std::string line = padded(before, 100);
        convert_special_characters(line);
        EXPECT_EQ(line.size(), 100u);
        EXPECT_EQ(unpadded(line), after) << before;
    }
}

TEST(LastNonblank, AnythingButABlankCounts)
{
    using Case = std::pair<std::string_view, int>;
    for (auto [text, last] :
         {Case{"", 0}, {"   ", 0}, {"x", 1}, {"a b  ", 3}, {"ab \t ", 4}, {" \xB2 ", 2}, {{"a\0 ", 3}, 2}})
        EXPECT_EQ(last_nonblank(text), last) << text;
}

TEST(PutRight, BlanksTheFieldAndClipsAtBothEnds)
{
    // width: of the buffer
    const struct {
        std::size_t width;
        int col, field_width;
        const char *text, *expected;
    } cases[] = {
        {10, 3, 5, "ab", "??   ab???"},  {10, 3, 5, "abcdefg", "??cdefg???"},  // too long: cut on the left
        {10, 8, 5, "ab", "???????   "},                                        // runs past the end: clipped
        {10, -2, 5, "ab", "ab????????"},                                       // starts before column 1
        {10, 0, 0, "ab", "??????????"},                                        // no width: nothing
        {4, 1, 4, "", "    "},
    };
    for (const auto& c : cases) {
        std::string s(c.width, '?');
        put_right(s, c.col, c.field_width, c.text);
        EXPECT_EQ(s, c.expected) << c.col << " " << c.field_width << " " << c.text;
    }
}

}  // namespace
