// Number fields: widths, rounding, the optional zero, overflow, non-finite values.
#include "report/number_fields.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

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

// The exact decimal conversion of the standard library, as the fields
// write it: the point even with no decimals.
std::string exact_fixed(float v, int d)
{
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v),
                             std::chars_format::fixed, d);
    std::string s(buf, res.ptr);
    if (d == 0)
        s += '.';
    return s;
}

// Values where the digits are easy to get wrong: exact ties at every
// number of decimals (odd multiples of 2^-(d+1)), their neighbours, powers
// of two and ten, subnormals, signed zeros and the ends of the 32-bit range.
std::vector<float> awkward_values()
{
    std::vector<float> values = {0.0f, -0.0f, 1e-45f, -1e-45f, 1.17549e-38f, 4294967040.0f,
                                 4294967296.0f, 2147483648.0f, 999999.94f, 0.95f, 9.9999995f,
                                 99.995f, 0.0049999999f, 0.005f};
    for (int d = 0; d <= 9; ++d)
        for (std::uint32_t odd = 1; odd < 4000; odd += 2) {
            float tie = std::ldexp(static_cast<float>(odd), -(d + 1));
            for (float v : {tie, std::nextafter(tie, 0.0f), std::nextafter(tie, 1e10f)}) {
                values.push_back(v);
                values.push_back(-v);
            }
        }
    for (int e = -40; e <= 40; ++e) {
        values.push_back(std::ldexp(1.0f, e));
        values.push_back(std::pow(10.0f, static_cast<float>(e)));
    }
    return values;
}

TEST(ShortestFixed, DigitsAgreeWithTheExactConversion)
{
    std::vector<float> values = awkward_values();
    std::uint64_t s = 12345;  // a fixed sequence of bit patterns, every exponent
    for (int i = 0; i < 100000; ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        float v = std::bit_cast<float>(static_cast<std::uint32_t>(s >> 32));
        if (std::isfinite(v))
            values.push_back(v);
    }
    int mismatches = 0;
    for (float v : values)
        for (int d = 0; d <= 12 && std::isfinite(v); ++d) {
            std::string expected = exact_fixed(v, d);
            if (expected.size() > static_cast<std::size_t>(field::kShortestMax))
                continue;
            if (shortest(v, d) != expected && ++mismatches <= 10)
                ADD_FAILURE() << std::hexfloat << v << " with " << d << " decimals: "
                              << shortest(v, d) << " instead of " << expected;
        }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
