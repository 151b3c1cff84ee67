// Numbers: the fields (widths, rounding, the optional zero, overflow,
// non-finite values), and exp, log10 and real powers of floats correctly
// rounded, also where the C libraries' float versions are a bit off.
#include "report/number_fields.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "report/single_precision.hpp"

namespace {

using namespace tx14;

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

enum class Form { F, E, I, shortest, shortest_whole };

// The field of form `f` and width w ('?' where nothing was written), or the
// text of a shortest form.
std::string written(Form f, float v, int w, int d)
{
    if (f == Form::shortest || f == Form::shortest_whole) {
        char buf[field::kShortestMax];
        const Field out(buf, sizeof buf);
        const int n = f == Form::shortest ? field::fixed_shortest(out, v, d) : field::nearest_whole_shortest(out, v);
        return std::string(buf, static_cast<std::size_t>(n));
    }
    std::string s(static_cast<std::size_t>(w), '?');
    const Field out(s.data(), s.size());
    if (f == Form::F)
        field::fixed(out, v, d);
    else if (f == Form::E)
        field::exponential(out, v, d);
    else
        field::nearest_whole(out, v);
    return s;
}

struct Case { Form form; float v; int w, d; const char* expected; };

TEST(NumberFields, RoundAlignAndOverflow)
{
    const Case cases[] = {
        {Form::F, 212.0f, 10, 2, "    212.00"},
        {Form::F, 0.5f, 5, 3, "0.500"},          // room for the zero
        {Form::F, 0.5f, 4, 3, ".500"},           // no room: the zero goes
        {Form::F, -0.5f, 4, 2, "-.50"},
        {Form::F, 0.125f, 5, 2, " 0.12"},        // exact tie goes to even
        {Form::F, 0.375f, 5, 2, " 0.38"},
        {Form::F, 2.675f, 6, 2, "  2.67"},       // binary value is just below the tie
        {Form::F, -0.001f, 6, 2, " -0.00"},      // sign of a value rounded to zero is kept
        {Form::F, -0.0f, 6, 2, " -0.00"},
        {Form::F, 1.0e8f, 10, 2, "**********"},
        {Form::F, 3.0f, 5, 0, "   3."},          // no decimals still writes the point
        {Form::F, kInf, 10, 2, "  Infinity"},
        {Form::F, -kInf, 6, 2, "  -Inf"},
        {Form::F, kInf, 3, 2, "Inf"},
        {Form::F, -kInf, 3, 2, "***"},
        {Form::F, kNaN, 10, 4, "       NaN"},
        {Form::F, kNaN, 2, 0, "**"},
        {Form::E, 2.0e8f, 10, 5, ".20000E+09"},
        {Form::E, 2.0e8f, 10, 3, " 0.200E+09"},
        {Form::E, -1.5e8f, 10, 1, "  -0.2E+09"},  // tie to even in the digit
        {Form::E, 0.0f, 10, 3, " 0.000E+00"},
        {Form::E, 1.0e-30f, 10, 3, " 0.100E-29"},
        {Form::E, 9.99996e5f, 10, 3, " 0.100E+07"},  // rounding carries into the exponent
        {Form::E, -2.0e8f, 10, 5, "**********"},
        {Form::E, kNaN, 10, 5, "       NaN"},
        {Form::I, 149.5f, 6, 0, "   150"},         // halves away from zero
        {Form::I, -149.5f, 6, 0, "  -150"},
        {Form::I, 0.49f, 3, 0, "  0"},
        {Form::I, 123456.0f, 5, 0, "*****"},
        {Form::I, 3.0e9f, 12, 0, "************"},  // outside 32 bits: never a made-up integer
        {Form::I, -kInf, 10, 0, " -Infinity"},
        {Form::shortest, kInf, 0, 3, "Infinity"},  // finite values: against the exact conversion below
        {Form::shortest, kNaN, 0, 3, "NaN"},
        {Form::shortest_whole, 149.6f, 0, 0, "150"},
        {Form::shortest_whole, -kInf, 0, 0, "-Infinity"},
        {Form::shortest_whole, 1e20f, 0, 0, "***********"},  // out of 32 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(written(c.form, c.v, c.w, c.d), c.expected)
            << "form " << static_cast<int>(c.form) << " of " << c.v << " w" << c.w << " d" << c.d;
}

// The exact decimal conversion of the standard library, as the fields
// write it: the point even with no decimals.
std::string exact_fixed(float v, int d)
{
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed, d);
    return std::string(buf, res.ptr) + (d == 0 ? "." : "");
}

// Values where the digits are easy to get wrong: exact ties at every
// number of decimals (odd multiples of 2^-(d+1)), their neighbours, powers
// of two and ten, subnormals, signed zeros, the ends of the 32-bit range,
// and a fixed sequence of bit patterns of every exponent.
std::vector<float> awkward_values()
{
    std::vector<float> values = {0.0f, -0.0f, 1e-45f, -1e-45f, 1.17549e-38f, 4294967040.0f,
                                 4294967296.0f, 2147483648.0f, 999999.94f, 0.95f, 9.9999995f,
                                 99.995f, 0.0049999999f, 0.005f};
    for (int d = 0; d <= 9; ++d)
        for (std::uint32_t odd = 1; odd < 4000; odd += 2) {
            float tie = std::ldexp(static_cast<float>(odd), -(d + 1));
            for (float v : {tie, std::nextafter(tie, 0.0f), std::nextafter(tie, 1e10f)})
                values.insert(values.end(), {v, -v});
        }
    for (int e = -40; e <= 40; ++e)
        values.insert(values.end(), {std::ldexp(1.0f, e), std::pow(10.0f, static_cast<float>(e))});
    std::uint64_t s = 12345;
    for (int i = 0; i < 100000; ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        float v = std::bit_cast<float>(static_cast<std::uint32_t>(s >> 32));
        if (std::isfinite(v))
            values.push_back(v);
    }
    return values;
}

TEST(NumberFields, ShortestDigitsAgreeWithTheExactConversion)
{
    int mismatches = 0;
    for (float v : awkward_values())
        for (int d = 0; d <= 12 && std::isfinite(v); ++d) {
            const std::string expected = exact_fixed(v, d);
            if (expected.size() > static_cast<std::size_t>(field::kShortestMax))
                continue;
            const std::string actual = written(Form::shortest, v, 0, d);
            if (actual != expected && ++mismatches <= 10)
                ADD_FAILURE() << std::hexfloat << v << " with " << d << " decimals: " << actual
                              << " instead of " << expected;
        }
    EXPECT_EQ(mismatches, 0);
}

// Bits of the correctly rounded value, where the C libraries' float versions
// differ from machine to machine. Just below a power of ten the logarithm
// stays below the integer: SIGDIGITS takes its digit count from it.
TEST(SinglePrecisionFunctions, GiveTheCorrectlyRoundedValue)
{
    const struct { char fn; std::uint32_t x; float y; std::uint32_t expected; } cases[] = {
        {'l', 0x42c7fffe, 0, 0x3fffffff}, {'l', 0x497423f7, 0, 0x40bfffff},  // 99.9999847, 999999.438
        {'l', 0x3d6075f7, 0, 0xbfa16fa3}, {'l', 0x00000000, 0, 0xff800000},  // 0.0548; 0 -> -Infinity
        {'e', 0x3dbc1921, 0, 0x3f8c501b}, {'e', 0x3dd2590c, 0, 0x3f8dd879},  // 0.0918448046, 0.102708906
        {'e', 0x42c80000, 0, 0x7f800000},                                    // 100: overflows the float
        {'p', 0x402af9db, 0.25f, 0x3fa3a4bc}, {'p', 0x41ba35dd, 3.5f, 0x476da959},  // 2.6715^0.25, 23.2763^3.5
    };
    for (const auto& c : cases) {
        const float x = std::bit_cast<float>(c.x);
        const float v = c.fn == 'e' ? exp_single(x) : c.fn == 'l' ? log10_single(x) : real_power(x, c.y);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(v), c.expected) << std::hex << "argument bits " << c.x;
    }
    EXPECT_TRUE(std::isnan(log10_single(-1.0f)) && std::isnan(real_power(-8.0f, 0.5f)) && std::isnan(exp_single(kNaN)));
}

}  // namespace
