// Fixed-width text: the blank squeezer at the edges of its buffers and the
// squeezed line against it, the special-character conversion,
// right-aligned fields.
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
                 {"abc   def", 500, 9, 5, "abc  ", nullptr},
                 {"", 2, 120, 100, "", nullptr}};
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
    const auto next = [&](std::uint32_t n) { return ((s = s * 1664525u + 1013904223u) >> 8) % n; };
    const auto random_text = [&](std::string_view alphabet, std::uint32_t longest) {
        std::string t(next(longest) + 1, ' ');
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
            const int field = static_cast<int>(next(14));
            const char* const alphabets[] = {"   ab/,", "x1.-", "  cd", "9.-"};  // clean text: no blanks
            std::string t = random_text(alphabets[kind], kind == 1 ? 8 : 12);
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
        EXPECT_EQ(line.size(), 100u);
        EXPECT_EQ(unpadded(line), after) << before;
    }
}

TEST(PutRight, BlanksTheFieldAndClipsAtBothEnds)
{
    // width: of the buffer; a text too long is cut on the left, a field
    // past either end clipped, one without width left alone.
    const struct {
        std::size_t width;
        int col, field_width;
        const char *text, *expected;
    } cases[] = {{10, 3, 5, "ab", "??   ab???"},  {10, 3, 5, "abcdefg", "??cdefg???"}, {10, 8, 5, "ab", "???????   "},
                 {10, -2, 5, "ab", "ab????????"}, {10, 0, 0, "ab", "??????????"},      {4, 1, 4, "", "    "}};
    for (const auto& c : cases) {
        std::string s(c.width, '?');
        put_right(s, c.col, c.field_width, c.text);
        EXPECT_EQ(s, c.expected) << c.col << " " << c.field_width << " " << c.text;
    }
}

}  // namespace
