// SIGDIGITS, RESULTLINE, BLANKZEROS and UNDERLINE.
#include "report/rendering.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "report_test_util.hpp"

using namespace tx14;
using tx14::test::captured_text;
using tx14::test::padded;

namespace {

std::string sig(float v, int n)
{
    char text[kSigDigitsWidth];
    SIGDIGITS(v, text, n);
    return std::string(text, sizeof text);
}

TEST(SigDigits, RightAlignedWithNoiseAndZerosCleanedUp)
{
    const std::pair<float, const char*> three[] = {
        {2.5f, "2.5"},       {1.0f, "1"},          {0.0f, "0"},        {1234.6f, "1235"},
        {500000.0f, "500000"}, {2.5e7f, "25000000"}, {0.1f, "0.1"},    {1999.9f, "2000"},
        {-12.5f, "-12.5"},   {1234567.8f, "1234567"}, {0.05f, "0.05"}, {0.1875f, "0.188"},
        {2.1999f, "2.2"},    {-0.30001f, "-0.3"},
    };
    for (auto [v, expected] : three)
        EXPECT_EQ(sig(v, 3), padded("", 16 - std::string(expected).size()) + expected) << v;
    EXPECT_EQ(sig(2.19995f, 4), "             2.2");  // nudged once, then clean
}

TEST(SigDigits, EngineeringNotationKeepsATrailingBlank)
{
    EXPECT_EQ(sig(3.0e9f, 3), "       3.00E+09 ");
    EXPECT_EQ(sig(-4.5e12f, 3), "      -4.50E+12 ");
}

TEST(SigDigits, NonFiniteValuesPrintTheirWordWithoutAnExponent)
{
    EXPECT_EQ(sig(std::numeric_limits<float>::infinity(), 3), "        Infinity");
    EXPECT_EQ(sig(-std::numeric_limits<float>::infinity(), 3), "       -Infinity");
    EXPECT_EQ(sig(std::nanf(""), 3), "             NaN");
}

TEST(SigDigits, AnyDigitCountStaysInsideTheField)
{
    for (int n : {-1000000, -3, 0, 9, 40, 1000000})
        EXPECT_EQ(sig(123.456f, n).size(), 16u) << n;
}

TEST(ResultLine, ValueThenOneBlankThenUnit)
{
    Report r;
    r.reset();
    RESULTLINE(r, 0.1875f, 3, "in.");
    RESULTLINE(r, 642.09f, 3, "psi       ");
    RESULTLINE(r, 5.0f, 7, "in.");  // seven digits or more: nothing
    ASSERT_EQ(r.capture.count, 2);
    EXPECT_EQ(captured_text(r, 0), " = 0.188 in.");
    EXPECT_EQ(captured_text(r, 1), " = 642.1 psi");  // n + 1 digits above 1
}

TEST(BlankZeros, EveryZeroRenderingBecomesDots)
{
    std::string row = "|      0.0 |   12.5 |      0 |";
    BLANKZEROS(Field(row.data(), row.size()), 1);
    EXPECT_EQ(row, "|      ... |   12.5 |    ... |");

    std::string kinds = "a 0.00 b 0.000 c 0.00E+00 d 0. e 10.0 f -0.0 g";
    BLANKZEROS(Field(kinds.data(), kinds.size()), 1);
    EXPECT_EQ(kinds, "a  ... b   ... c      ... d... e 10.0 f -0.0 g");

    std::string no_dots = "| 0 |";
    BLANKZEROS(Field(no_dots.data(), no_dots.size()), 0);
    EXPECT_EQ(no_dots, "|   |");

    std::string table_order = "x 0 0.0 y 0.";  // " 0.0 " comes first in the table, then " 0 "
    BLANKZEROS(Field(table_order.data(), table_order.size()), 1);
    EXPECT_EQ(table_order, "... ... y 0.");  // " 0." needs its blank too

    std::string at_start = " 0 x";  // the first dot would fall before the row
    BLANKZEROS(Field(at_start.data(), at_start.size()), 1);
    EXPECT_EQ(at_start, ".. x");
}

// The zero search as the rules state it: the first rendering of the table
// found anywhere in the row, replaced, and again from the start.
void blank_zeros_by_the_table(std::string& row, int dots)
{
    static const char* const zeros[] = {" 0.0 ",   " 0.00 ", " 0.000 ",     " 0.0000 ",
                                        " 0.00000 ", " 0 ",  " 0.00E+00 ", " 0. "};
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
    constexpr char kAlphabet[] = "   0000.|E+1";  // rows crowded with zero renderings
    std::uint32_t s = 7;
    for (int n = 0; n < 20000; ++n) {
        std::string row(static_cast<std::size_t>(1 + n % 40), ' ');
        for (char& c : row) {
            s = s * 1664525u + 1013904223u;
            c = kAlphabet[(s >> 16) % (sizeof kAlphabet - 1)];
        }
        std::string expected = row;
        blank_zeros_by_the_table(expected, n % 2);
        BLANKZEROS(Field(row.data(), row.size()), n % 2);
        ASSERT_EQ(row, expected);
    }
}

TEST(Underline, DashesAsLongAsTheText)
{
    Report r;
    r.reset();
    std::string line = padded("  | Head |", 100);
    UNDERLINE(r, Field(line.data(), line.size()));
    ASSERT_EQ(r.capture.count, 2);
    EXPECT_EQ(captured_text(r, 0), "  | Head |");
    EXPECT_EQ(captured_text(r, 1), "----------");
}

}  // namespace
