// Number fields: widths, rounding, the optional zero, overflow, non-finite values.
#include "report/number_fields.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace tx14;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

std::string fixed(float v, int w, int d)
{
    std::string s(static_cast<std::size_t>(w), '?');
    field::fixed(Field(s.data(), s.size()), v, d);
    return s;
}

std::string expo(float v, int w, int d)
{
    std::string s(static_cast<std::size_t>(w), '?');
    field::exponential(Field(s.data(), s.size()), v, d);
    return s;
}

std::string whole(float v, int w)
{
    std::string s(static_cast<std::size_t>(w), '?');
    field::nearest_whole(Field(s.data(), s.size()), v);
    return s;
}

std::string shortest(float v, int d)
{
    char buf[field::kShortestMax];
    int n = field::fixed_shortest(Field(buf, sizeof buf), v, d);
    return std::string(buf, static_cast<std::size_t>(n));
}

struct FieldCase {
    float v;
    int w, d;
    const char* expected;
};

TEST(FixedField, RightAlignsRoundsAndOverflows)
{
    const FieldCase cases[] = {
        {212.0f, 10, 2, "    212.00"},
        {0.5f, 5, 3, "0.500"},        // room for the zero
        {0.5f, 4, 3, ".500"},         // no room: the zero goes
        {-0.5f, 4, 2, "-.50"},
        {0.125f, 5, 2, " 0.12"},      // exact tie goes to even
        {0.375f, 5, 2, " 0.38"},
        {2.675f, 6, 2, "  2.67"},     // binary value is just below the tie
        {-0.001f, 6, 2, " -0.00"},    // sign of a value rounded to zero is kept
        {1.0e8f, 10, 2, "**********"},
        {99999.99f, 7, 2, "*******"},
        {3.0f, 5, 0, "   3."},        // no decimals still writes the point
        {123456.0f, 14, 2, "     123456.00"},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(fixed(c.v, c.w, c.d), c.expected) << c.v << " F" << c.w << "." << c.d;
}

TEST(FixedField, NonFiniteValuesPrintTheirWordOrStars)
{
    EXPECT_EQ(fixed(kInf, 10, 2), "  Infinity");
    EXPECT_EQ(fixed(-kInf, 10, 2), " -Infinity");
    EXPECT_EQ(fixed(-kInf, 6, 2), "  -Inf");
    EXPECT_EQ(fixed(kInf, 3, 2), "Inf");
    EXPECT_EQ(fixed(-kInf, 3, 2), "***");
    EXPECT_EQ(fixed(kNaN, 10, 4), "       NaN");
    EXPECT_EQ(fixed(kNaN, 2, 0), "**");
}

TEST(ExponentialField, MantissaBelowOneWithOptionalZero)
{
    const FieldCase cases[] = {
        {2.0e8f, 10, 5, ".20000E+09"},
        {2.0e8f, 10, 3, " 0.200E+09"},
        {-1.5e8f, 10, 1, "  -0.2E+09"},  // tie to even in the digit
        {0.0f, 10, 3, " 0.000E+00"},
        {1.0e-30f, 10, 3, " 0.100E-29"},
        {9.99996e5f, 10, 3, " 0.100E+07"},  // rounding carries into the exponent
        {-2.0e8f, 10, 5, "**********"},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(expo(c.v, c.w, c.d), c.expected) << c.v << " E" << c.w << "." << c.d;
    EXPECT_EQ(expo(kNaN, 10, 5), "       NaN");
}

TEST(WholeNumberField, HalvesAwayFromZeroAndGuardsTheRange)
{
    EXPECT_EQ(whole(149.5f, 6), "   150");
    EXPECT_EQ(whole(-149.5f, 6), "  -150");
    EXPECT_EQ(whole(0.49f, 3), "  0");
    EXPECT_EQ(whole(123456.0f, 5), "*****");
    EXPECT_EQ(whole(3.0e9f, 12), "************");  // outside 32 bits: never a made-up integer
    EXPECT_EQ(whole(kNaN, 10), "       NaN");
    EXPECT_EQ(whole(-kInf, 10), " -Infinity");
}

TEST(ShortestFixed, AlwaysWritesTheZeroBeforeThePoint)
{
    EXPECT_EQ(shortest(0.1875f, 3), "0.188");
    EXPECT_EQ(shortest(-0.5f, 1), "-0.5");
    EXPECT_EQ(shortest(58.25f, 3), "58.250");
    EXPECT_EQ(shortest(-0.0001f, 2), "-0.00");
    EXPECT_EQ(shortest(7.0f, 0), "7.");
    EXPECT_EQ(shortest(kInf, 3), "Infinity");
    EXPECT_EQ(shortest(kNaN, 3), "NaN");
    EXPECT_EQ(shortest(3.4e38f, 9).size(), 49u);  // the largest float fits the buffer
}

TEST(ShortestWhole, NonFiniteAndOutOfRange)
{
    char buf[field::kShortestMax];
    Field f(buf, sizeof buf);
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(field::nearest_whole_shortest(f, 149.6f))), "150");
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(field::nearest_whole_shortest(f, -kInf))), "-Infinity");
    EXPECT_EQ(buf[field::nearest_whole_shortest(f, 1e20f) - 1], '*');
}

}  // namespace
