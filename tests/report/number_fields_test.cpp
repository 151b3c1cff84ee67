// Numbers: the fields (widths, rounding, the optional zero, overflow,
// non-finite values), and exp, log10 and real powers of floats correctly
// rounded, also where the C libraries' float versions are a bit off.
#include "report/number_fields.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iomanip>
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

struct Case {
    Form form;
    float v;
    int w, d;
    const char* expected;
};

TEST(NumberFields, RoundAlignAndOverflow)
{
    const Case cases[] = {
        {Form::F, 212.0f, 10, 2, "    212.00"},
        {Form::F, 0.5f, 5, 3, "0.500"},  // room for the zero
        {Form::F, 0.5f, 4, 3, ".500"},   // no room: the zero goes
        {Form::F, -0.5f, 4, 2, "-.50"},
        {Form::F, 0.125f, 5, 2, " 0.12"},  // exact tie goes to even
        {Form::F, 0.375f, 5, 2, " 0.38"},
        {Form::F, 2.675f, 6, 2, "  2.67"},   // binary value is just below the tie
        {Form::F, -0.001f, 6, 2, " -0.00"},  // sign of a value rounded to zero is kept
        {Form::F, -0.0f, 6, 2, " -0.00"},
        {Form::F, 1.0e8f, 10, 2, "**********"},
        {Form::F, 3.0f, 5, 0, "   3."},  // no decimals still writes the point
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
        {Form::I, 149.5f, 6, 0, "   150"},  // halves away from zero
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
    std::vector<float> values = {0.0f,          -0.0f,         1e-45f,        -1e-45f,    1.17549e-38f,
                                 4294967040.0f, 4294967296.0f, 2147483648.0f, 999999.94f, 0.95f,
                                 9.9999995f,    99.995f,       0.0049999999f, 0.005f};
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
                ADD_FAILURE() << std::hexfloat << v << " with " << d << " decimals: " << actual << " instead of "
                              << expected;
        }
    EXPECT_EQ(mismatches, 0);
}

// The sweeps below: ten million (value, decimals) pairs per field form in
// an optimised build, a hundredth of that where sanitizers or the lack of
// optimisation make every conversion slow.
#if defined(TX14_SHORT_SWEEPS)
constexpr int kSweep = 100000;
#else
constexpr int kSweep = 10000000;
#endif

using Text = std::array<char, 96>;  // the sweeps' texts, kept off the heap

std::string_view copied(Text& out, std::string_view s)
{
    std::copy(s.begin(), s.end(), out.begin());
    return {out.data(), s.size()};
}

// The exact decimal text of v with d decimals, the point even with none.
std::string_view exact_fixed(Text& out, float v, int d)
{
    auto res =
        std::to_chars(out.data(), out.data() + out.size() - 1, static_cast<double>(v), std::chars_format::fixed, d);
    if (d == 0)
        *res.ptr++ = '.';
    return {out.data(), static_cast<std::size_t>(res.ptr - out.data())};
}

// Form E from the exact conversion: "0.", d significant digits, "E", the
// sign and two digits of the exponent.
std::string_view exact_exponential(Text& out, float v, int d)
{
    char sci[64];  // "D.DDDe+XX"
    auto res =
        std::to_chars(sci, sci + sizeof sci, std::fabs(static_cast<double>(v)), std::chars_format::scientific, d - 1);
    const std::string_view s(sci, static_cast<std::size_t>(res.ptr - sci));
    const std::size_t e = s.find('e');
    int exponent = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
    exponent = v == 0.0f ? 0 : exponent + 1;
    std::string text = std::signbit(v) ? "-0." : "0.";
    for (char c : s.substr(0, e))
        if (c != '.')
            text += c;
    text += exponent < 0 ? "E-" : "E+";
    text += static_cast<char>('0' + std::abs(exponent) / 10);
    text += static_cast<char>('0' + std::abs(exponent) % 10);
    return copied(out, text);
}

// The whole number nearest to v, halves away from zero, worked out on the
// exact binary value in double precision; asterisks outside 32 bits.
std::string_view exact_nearest_whole(Text& out, float v)
{
    const double magnitude = std::fabs(static_cast<double>(v));
    double n = std::floor(magnitude);
    if (magnitude - n >= 0.5)  // exact: a float's fraction fits a double
        n += 1.0;
    const double r = std::signbit(v) ? -n : n;
    if (!(r >= -2147483648.0 && r < 2147483648.0))
        return copied(out, "***********");
    auto res = std::to_chars(out.data(), out.data() + out.size(), static_cast<long long>(r));
    return {out.data(), static_cast<std::size_t>(res.ptr - out.data())};
}

// A field as the forms write it: right-aligned, without the optional zero
// before the point when the field is too narrow, asterisks when the text
// still does not fit (or stands for a number out of range).
std::string_view in_field(Text& out, std::string_view s, int width)
{
    const auto w = static_cast<std::size_t>(width);
    const std::size_t at = s[0] == '-' ? 1 : 0;
    std::string text(s);
    if (text.size() > w && text.size() > at + 1 && text[at] == '0' && text[at + 1] == '.')
        text.erase(at, 1);
    if (text.size() > w || text[0] == '*')
        return copied(out, std::string(w, '*'));
    return copied(out, std::string(w - text.size(), ' ') + text);
}

// What the library writes: a field of width w, or a shortest form.
std::string_view written_into(Text& out, Form f, float v, int w, int d)
{
    const Field field(out.data(), f == Form::shortest || f == Form::shortest_whole
                                      ? static_cast<std::size_t>(field::kShortestMax)
                                      : static_cast<std::size_t>(w));
    std::size_t n = field.size();
    if (f == Form::F)
        field::fixed(field, v, d);
    else if (f == Form::E)
        field::exponential(field, v, d);
    else if (f == Form::I)
        field::nearest_whole(field, v);
    else if (f == Form::shortest)
        n = static_cast<std::size_t>(field::fixed_shortest(field, v, d));
    else
        n = static_cast<std::size_t>(field::nearest_whole_shortest(field, v));
    return {out.data(), n};
}

// Values for the sweeps: random bit patterns, and values at the rounding
// boundaries of the last digit shown (a 5 right after it) and their
// neighbours, either sign.
class SweepValues {
public:
    // The next value, for a last digit worth 10^unit_power.
    float next(int unit_power)
    {
        const std::uint64_t r = step();
        if ((r & 1) == 0) {
            float v;
            do
                v = std::bit_cast<float>(static_cast<std::uint32_t>(step() >> 32));
            while (!std::isfinite(v));
            return v;
        }
        // k + 0.5 units of the last digit, k of up to nine digits.
        const double k = static_cast<double>((r >> 8) % 1000000000u >> (r >> 40) % 30);
        float v = static_cast<float>((k + 0.5) * power_of_ten(unit_power));
        if (const auto side = (r >> 4) % 3; side != 1)  // just below, on, just above
            v = std::nextafter(v, side == 0 ? 0.0f : kInf);
        return (r & 2) != 0 ? -v : v;
    }

    std::uint64_t step()
    {
        s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
        return s_;
    }

private:
    static double power_of_ten(int p)
    {
        static const auto table = [] {
            std::array<double, 100> t{};
            for (int k = 0; k < 100; ++k)
                t[static_cast<std::size_t>(k)] = std::pow(10.0, k - 60);
            return t;
        }();
        return table[static_cast<std::size_t>(std::clamp(p + 60, 0, 99))];
    }

    std::uint64_t s_ = 20260101;
};

struct Sample {
    float v;
    int w, d;
};

// Runs kSweep samples of a form against its reference; reports the first
// mismatches.
template <typename NextSample, typename Reference>
void sweep(Form form, NextSample next_sample, Reference reference)
{
    int mismatches = 0;
    Text actual_text, expected_text;
    for (int n = 0; n < kSweep; ++n) {
        const Sample c = next_sample();
        const std::string_view actual = written_into(actual_text, form, c.v, c.w, c.d);
        const std::string_view expected = reference(expected_text, c);
        if (actual != expected && ++mismatches <= 10)
            ADD_FAILURE() << std::hexfloat << c.v << std::defaultfloat << " (" << std::setprecision(9) << c.v << ") w"
                          << c.w << " d" << c.d << ": \"" << actual << "\" instead of \"" << expected << "\"";
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(NumberFieldSweep, FixedPointFields)
{
    SweepValues values;
    const auto next = [&] {
        const int d = static_cast<int>(values.step() >> 60) % 10;
        const int w = 1 + static_cast<int>(values.step() >> 59);  // 1 to 32 columns
        return Sample{values.next(-d - 1), w, d};
    };
    sweep(Form::F, next, [](Text& out, Sample c) {
        Text exact;
        return in_field(out, exact_fixed(exact, c.v, c.d), c.w);
    });
    sweep(Form::shortest, next, [](Text& out, Sample c) { return exact_fixed(out, c.v, c.d); });
}

TEST(NumberFieldSweep, ExponentialFields)
{
    SweepValues values;
    const auto next = [&] {
        const int d = 1 + static_cast<int>(values.step() >> 60) % 9;
        const int w = 1 + static_cast<int>(values.step() >> 59);
        const int unit = static_cast<int>(values.step() >> 58) - 40 - d;  // about 1e-45 to 1e38
        return Sample{values.next(unit), w, d};
    };
    sweep(Form::E, next, [](Text& out, Sample c) {
        Text exact;
        return in_field(out, exact_exponential(exact, c.v, c.d), c.w);
    });
}

TEST(NumberFieldSweep, NearestWholeFields)
{
    SweepValues values;
    const auto next = [&] { return Sample{values.next(0), 1 + static_cast<int>(values.step() >> 60), 0}; };
    sweep(Form::I, next, [](Text& out, Sample c) {
        Text exact;
        return in_field(out, exact_nearest_whole(exact, c.v), c.w);
    });
    sweep(Form::shortest_whole, next, [](Text& out, Sample c) { return exact_nearest_whole(out, c.v); });
}

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
