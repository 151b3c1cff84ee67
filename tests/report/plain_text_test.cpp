// Special-character conversion of report lines.
#include <gtest/gtest.h>

#include "report_test_util.hpp"

using namespace tx14;
using tx14::test::padded;
using tx14::test::without_trailing_blanks;

namespace {

std::string converted(std::string_view text, std::size_t width = 100)
{
    std::string s = padded(text, width);
    convert_special_characters(Field(s.data(), s.size()));
    EXPECT_EQ(s.size(), width);
    return without_trailing_blanks(s);
}

struct Case {
    const char* before;
    const char* after;
};

TEST(SpecialCharacters, PlainNotationForEachCharacter)
{
    const Case cases[] = {
        {"d\xB2/t\xB2", "d^(2)/t^(2)"},                  // the rest of the line moves right
        {"a\xB3 + b", "a^(3) + b"},
        {"x\xB2   y", "x^(2)y"},                         // three blanks are overwritten in place
        {"x\xB2 y     z", "x^(2) y  z"},                // a run of blanks keeps "z" in its column
        {"| g\xB2 | h\xB3 |", "| g2 | h3 |"},            // table lines keep their width
        {"1\xBD inch", "1^(.5) inch"},
        {"Copyright \xA9 2026", "Copyright c 2026"},
        {"Temperature \xB0" "F", "Temperature  F"},
        {"(E\xF8)*", "(Ep)*"},
        {"it`s", "it's"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(converted(c.before), c.after) << c.before;
}

TEST(SpecialCharacters, FullLineTakesThePlainDigit)
{
    std::string full(98, 'x');
    EXPECT_EQ(converted(full + "\xB2"), full + "2");
}

TEST(SpecialCharacters, WideningUsesTheBlanksAtTheEnd)
{
    // 96 characters leave room (T < L - 3): the text moves right into the
    // trailing blanks and nothing of it is lost.
    std::string text = "a\xB2" + std::string(86, 'b') + "cdefghij";
    EXPECT_EQ(converted(text), "a^(2)" + std::string(86, 'b') + "cdefghij");
}

TEST(SpecialCharacters, OneHalfAtTheEndOfTheLine)
{
    std::string last = std::string(99, 'x') + "\xBD";
    EXPECT_EQ(converted(last), std::string(99, 'x'));  // becomes a blank
    std::string near_end = std::string(97, 'x') + "\xBD" + "yy";
    EXPECT_EQ(converted(near_end), near_end);  // no room: left alone
}

}  // namespace
