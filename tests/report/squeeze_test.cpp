// The blank squeezer in its two modes.
#include <gtest/gtest.h>

#include "report_test_util.hpp"

using namespace tx14;
using tx14::test::padded;
using tx14::test::without_trailing_blanks;

namespace {

struct Squeezed {
    std::string source, dest;
};

Squeezed squeeze(std::string_view text, int keep, std::size_t src_width = 120,
                 std::size_t dst_width = 100)
{
    Squeezed s{padded(text, src_width), std::string(dst_width, '?')};
    squeeze_blanks(Field(s.source.data(), s.source.size()), Field(s.dest.data(), s.dest.size()),
                   keep);
    return s;
}

TEST(Squeezer, KeepOneShrinksEveryRunAndKeepsOneLeadingBlank)
{
    Squeezed s = squeeze("   Error   -    Shell  Side", 1);
    EXPECT_EQ(without_trailing_blanks(s.dest), " Error - Shell Side");
    EXPECT_EQ(s.dest.size(), 100u);
    // In this mode the source itself is squeezed too.
    EXPECT_EQ(without_trailing_blanks(s.source), " Error - Shell Side");
}

TEST(Squeezer, KeepTwoLeavesATextWithoutRunsAlone)
{
    Squeezed s = squeeze("Note - single blanks only", 2);
    EXPECT_EQ(without_trailing_blanks(s.dest), "Note - single blanks only");
    Squeezed all_blank = squeeze("", 2);
    EXPECT_EQ(all_blank.dest, std::string(100, ' '));
}

TEST(Squeezer, LargerKeepCountCopiesThePrefixAsItStands)
{
    // The first keep-1 characters keep their blanks; the rest is squeezed.
    Squeezed s = squeeze("  =  1.5    *  2", 4);
    EXPECT_EQ(without_trailing_blanks(s.dest), "  = 1.5 * 2");
    Squeezed s8 = squeeze(" = 1.91 *   4(  1 +", 8);
    EXPECT_EQ(without_trailing_blanks(s8.dest), " = 1.91 * 4( 1 +");
    // The source is left alone in this mode.
    EXPECT_EQ(without_trailing_blanks(s8.source), " = 1.91 *   4(  1 +");
}

TEST(Squeezer, KeepZeroJoinsRightAlignedFields)
{
    std::string work = padded("", 120);
    work.replace(0, 20, std::string(17, ' ') + " = ");
    work.replace(20, 20, std::string(14, ' ') + "0.2500");
    work.replace(40, 30, std::string(27, ' ') + "in.");
    std::string line(100, '?');
    squeeze_blanks(Field(work.data(), 120), Field(line.data(), 100), 0);
    EXPECT_EQ(without_trailing_blanks(line), " = 0.2500 in.");
}

TEST(Squeezer, WritesAtMostOneLessThanTheDestination)
{
    std::string text(120, 'x');
    Squeezed s = squeeze(text, 3, 120, 10);
    EXPECT_EQ(s.dest, "xxxxxxxxx ");
}

TEST(Squeezer, KeepCountBeyondBothBuffersStaysInside)
{
    Squeezed s = squeeze("abc   def", 500, 9, 5);
    EXPECT_EQ(s.dest, "abc  ");
}

}  // namespace
