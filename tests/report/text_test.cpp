// Fixed-width text helpers: where the text ends, right-aligned fields and
// the short-text search, at every position and at the field's edges.
#include "report/text.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace tx14;

namespace {

TEST(LastNonblank, FindsTheLastCharacterAtEveryPositionAndWidth)
{
    for (std::size_t width = 0; width <= 40; ++width) {
        EXPECT_EQ(last_nonblank(std::string(width, ' ')), 0) << width;
        for (std::size_t at = 0; at < width; ++at)
            for (char c : {'x', '\0', '\xB2', '\t'}) {  // anything but a blank counts
                std::string s(width, ' ');
                s[at] = c;
                if (at > 2)
                    s[at / 2] = 'y';  // text before it does not matter
                EXPECT_EQ(last_nonblank(s), static_cast<int>(at + 1)) << width << " " << at;
            }
    }
}

struct PutRightCase {
    std::size_t width;  // of the field
    int col, field_width;
    const char* text;
    const char* expected;
};

TEST(PutRight, BlanksTheFieldAndClipsAtBothEnds)
{
    const PutRightCase cases[] = {
        {10, 3, 5, "ab", "??   ab???"},
        {10, 3, 5, "abcdefg", "??cdefg???"},  // too long: cut on the left
        {10, 8, 5, "ab", "???????   "},       // runs past the end: clipped
        {10, -2, 5, "ab", "ab????????"},      // starts before column 1
        {10, 0, 0, "ab", "??????????"},       // no width: nothing
        {4, 1, 4, "", "    "},
    };
    for (const PutRightCase& c : cases) {
        std::string s(c.width, '?');
        put_right(s, c.col, c.field_width, c.text);
        EXPECT_EQ(s, c.expected) << c.col << " " << c.field_width << " " << c.text;
    }
}

TEST(Contains, FindsPatternsAnywhereButNotPastTheEnd)
{
    EXPECT_TRUE(contains("12.999", ".999"));
    EXPECT_TRUE(contains(".0001 ", ".0001 "));
    EXPECT_FALSE(contains("12.99", ".999"));
    EXPECT_FALSE(contains("", "."));
    EXPECT_TRUE(contains("abc", ""));
    EXPECT_TRUE(matches_at("a 0.0 b", 1, " 0.0 "));
    EXPECT_FALSE(matches_at("a 0.0", 1, " 0.0 "));  // would run past the end
    EXPECT_FALSE(matches_at("ab", 3, ""));
}

}  // namespace
