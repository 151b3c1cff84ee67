// Numbers: the fields (widths, rounding, the optional zero, overflow,
// non-finite values) against the exact conversion of the standard library,
// and exp, log10 and real powers of floats correctly rounded, also where the
// C libraries' float versions are a bit off.
#include "report/number_fields.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <limits>
#include <string>

#include "report/single_precision.hpp"

namespace {

using namespace tx14;

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

// Fields of form F, E and I, and the shortest texts of F and I (last).
enum class Form { F, E, I, Fs, Is };

// The field of form `f` and width w ('?' where nothing was written), or the
// text of a shortest form.
std::string written(Form f, float v, int w, int d)
{
    std::string s(static_cast<std::size_t>(f >= Form::Fs ? field::kShortestMax : w), '?');
    const Field out(s.data(), s.size());
    if (f == Form::F)
        field::fixed(out, v, d);
    else if (f == Form::E)
        field::exponential(out, v, d);
    else if (f == Form::I)
        field::nearest_whole(out, v);
    else
        s.resize(static_cast<std::size_t>(f == Form::Fs ? field::fixed_shortest(out, v, d)
                                                        : field::nearest_whole_shortest(out, v)));
    return s;
}

// Cases by name: the sign of zero kept, the optional zero dropped, rounding
// carrying into the exponent, values outside 32 bits never written as a
// made-up integer, and non-finite values, which the sweeps below leave out.
TEST(NumberFields, ZerosOverflowAndNonFiniteValues)
{
    using enum Form;
    // clang-format off
    const std::pair<std::string, const char*> cases[] = {
        {written(F, -0.0f, 6, 2), " -0.00"},         {written(F, 0.5f, 4, 3), ".500"},
        {written(E, 0.0f, 10, 3), " 0.000E+00"},     {written(E, 9.99996e5f, 10, 3), " 0.100E+07"},
        {written(I, 3.0e9f, 12, 0), "************"}, {written(I, -kInf, 10, 0), " -Infinity"},
        {written(F, kInf, 10, 2), "  Infinity"},     {written(F, -kInf, 6, 2), "  -Inf"},
        {written(F, kInf, 3, 2), "Inf"},             {written(F, -kInf, 3, 2), "***"},
        {written(F, kNaN, 10, 4), "       NaN"},     {written(F, kNaN, 2, 0), "**"},
        {written(E, kNaN, 10, 5), "       NaN"},     {written(Fs, kInf, 0, 3), "Infinity"},
        {written(Fs, kNaN, 0, 3), "NaN"},            {written(Is, -kInf, 0, 0), "-Infinity"}};
    // clang-format on
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

// The exact text of a finite v: the whole number nearest to it (halves away
// from zero, asterisks outside 32 bits); form E as "0.", d significant
// digits and a signed two-digit exponent; else d decimals, the point even
// with none.
std::string exact(Form f, float v, int d)
{
    char buf[96];
    if (f == Form::I || f == Form::Is) {
        const double r = std::round(static_cast<double>(v));  // exact: a float's fraction fits a double
        return r >= -2147483648.0 && r < 2147483648.0 ? std::to_string(static_cast<long long>(r)) : "***********";
    }
    if (f != Form::E) {
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed, d);
        return std::string(buf, res.ptr) + (d == 0 ? "." : "");
    }
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(static_cast<double>(v)), std::chars_format::scientific, d - 1);
    std::string digits(buf, res.ptr);  // "D.DDDe+XX"
    const std::size_t e = digits.find('e');
    const int exponent = v == 0.0f ? 0 : std::stoi(digits.substr(e + 1)) + 1;
    digits.resize(e);
    if (d > 1)
        digits.erase(1, 1);
    std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return (std::signbit(v) ? "-0." : "0.") + digits + buf;
}

// A field as the forms write it: right-aligned, without the optional zero
// before the point when the field is too narrow, asterisks when the text
// still does not fit (or stands for a number out of range).
std::string in_field(std::string s, int width)
{
    const auto w = static_cast<std::size_t>(width);
    const std::size_t at = s[0] == '-' ? 1 : 0;
    if (s.size() > w && s.compare(at, 2, "0.") == 0)
        s.erase(at, 1);
    return s.size() > w || s[0] == '*' ? std::string(w, '*') : std::string(w - s.size(), ' ') + s;
}

// Ten million (value, decimals) pairs per form in an optimised build, a
// hundredth of that where sanitizers or the lack of optimisation make every
// conversion slow.
#if defined(TX14_SHORT_SWEEPS)
constexpr int kSweep = 100000;
#else
constexpr int kSweep = 10000000;
#endif

class NumberFieldSweep : public ::testing::TestWithParam<Form> {};

// Samples: random bit patterns; values at the rounding boundaries of the
// last digit shown (a 5 right after it) and their neighbours; and exact
// binary ties (odd multiples of 2^-(d+1)), either sign; widths of 1 to 32.
TEST_P(NumberFieldSweep, AgreesWithTheExactConversion)
{
    const Form form = GetParam();
    const bool fixed = form == Form::F || form == Form::Fs;
    std::uint64_t s = 20260101;
    const auto step = [&] { return s = s * 6364136223846793005ull + 1442695040888963407ull; };
    int mismatches = 0;
    for (int n = 0; n < kSweep; ++n) {
        const int d = form == Form::E ? 1 + static_cast<int>(step() >> 60) % 9
                      : fixed         ? static_cast<int>(step() >> 60) % 10
                                      : 0;
        const int w = 1 + static_cast<int>(step() >> 59);
        // The power of ten of the last digit shown (E: about 1e-45 to 1e38).
        const int unit = form == Form::E ? static_cast<int>(step() >> 58) - 40 - d : fixed ? -d : 0;
        const std::uint64_t r = step();
        float v = std::bit_cast<float>(static_cast<std::uint32_t>(r >> 32));
        if (r % 4 == 1) {
            v = std::ldexp(static_cast<float>(((r >> 8) % (1u << 24) >> (r >> 40) % 24) | 1u), -d - 1);
        } else if (r % 4 != 0 || !std::isfinite(v)) {  // k + 0.5 units, k of up to nine digits; below, on, above
            v = static_cast<float>((static_cast<double>((r >> 8) % 1000000000u >> (r >> 40) % 30) + 0.5) *
                                   std::pow(10.0, unit));
            if (const auto side = (r >> 4) % 3; side != 1)
                v = std::nextafter(v, side == 0 ? 0.0f : kInf);
        }
        v = (r & 8) != 0 ? -v : v;
        const std::string expected = form >= Form::Fs ? exact(form, v, d) : in_field(exact(form, v, d), w);
        const std::string actual = written(form, v, w, d);
        if (actual != expected && ++mismatches <= 10)
            ADD_FAILURE() << std::hexfloat << v << std::defaultfloat << " (" << std::setprecision(9) << v << ") w" << w
                          << " d" << d << ": \"" << actual << "\" instead of \"" << expected << "\"";
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NumberFieldSweep, ::testing::Values(Form::F, Form::E, Form::I, Form::Fs, Form::Is), [](const auto& info) {
        return std::string(std::array{"F", "E", "I", "Fs", "Is"}[static_cast<std::size_t>(info.param)]);
    });

// Bits of the correctly rounded value, where the C libraries' float versions
// differ from machine to machine. Just below a power of ten the logarithm
// stays below the integer: SIGDIGITS takes its digit count from it.
TEST(SinglePrecisionFunctions, GiveTheCorrectlyRoundedValue)
{
    const struct {
        char fn;
        std::uint32_t x;
        float y;
        std::uint32_t expected;
    } cases[] = {
        {'l', 0x42c7fffe, 0, 0x3fffffff},     {'l', 0x497423f7, 0, 0x40bfffff},     // 99.9999847, 999999.438
        {'l', 0x3d6075f7, 0, 0xbfa16fa3},     {'l', 0x00000000, 0, 0xff800000},     // 0.0548; 0 -> -Infinity
        {'e', 0x3dbc1921, 0, 0x3f8c501b},     {'e', 0x3dd2590c, 0, 0x3f8dd879},     // 0.0918448046, 0.102708906
        {'e', 0x42c80000, 0, 0x7f800000},                                           // 100: overflows the float
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
