// Number fields: the one place where binary floats become report digits.
#include "number_fields.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tx14::field {
namespace {

constexpr int kBuffer = kTextMax;  // any float in fixed point with kMaxDecimals decimals
constexpr int kMaxDecimals = 50;   // more digits than a float can carry anyway

void fill_asterisks(Field out)
{
    for (char& c : out)
        c = '*';
}

// Writes the text right-aligned over the whole field, or asterisks.
void right_aligned(Field out, std::string_view text)
{
    if (text.size() > out.size()) {
        fill_asterisks(out);
        return;
    }
    put_right(out, 1, static_cast<int>(out.size()), text);
}

// Fills the field with the bytes that end at `end`; a field of 8 to 16
// columns, as most are, by two overlapping moves of 8 bytes, not a call.
void copy_ending_at(Field out, const char* end)
{
    const std::size_t n = out.size();
    const char* from = end - n;
    if (n >= 8 && n <= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, end - 8, 8);
        std::memcpy(out.data(), &a, 8);
        std::memcpy(out.data() + n - 8, &b, 8);
    } else {
        std::memcpy(out.data(), from, n);
    }
}

std::string_view nonfinite_word(float v)
{
    if (std::isnan(v))
        return "NaN";
    return std::signbit(v) ? "-Infinity" : "Infinity";
}

// The word of a value that is not finite, "Inf" or "-Inf" where the field
// is too narrow for "Infinity", asterisks where it is too narrow for that.
void nonfinite(Field out, float v)
{
    const std::string_view word = nonfinite_word(v);
    right_aligned(out, word.size() <= out.size() || std::isnan(v) ? word : word.substr(0, word.size() - 5));
}

constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
constexpr int kFastDecimals = 9;             // the most any report asks for
constexpr float kFastLimit = 4294967296.0f;  // 2^32: |v| * 10^9 fits 64 bits

// "00" to "99": two digits per division by 100.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of q written right to left so that they end just
// before `end`; returns where they begin. Four digits come off q at a
// time, and go out as two pairs in 32-bit arithmetic.
char* digits_before(char* end, std::uint64_t q)
{
    char* p = end;
    while (q >= 10000) {
        const auto four = static_cast<std::uint32_t>(q % 10000);
        q /= 10000;
        p -= 4;
        std::memcpy(p, kDigitPairs + 2 * (four / 100), 2);
        std::memcpy(p + 2, kDigitPairs + 2 * (four % 100), 2);
    }
    auto rest = static_cast<std::uint32_t>(q);  // below 10000
    if (rest >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (rest % 100), 2);
        rest /= 100;
    }
    if (rest >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * rest, 2);
    } else {
        *--p = static_cast<char>('0' + rest);
    }
    return p;
}

// Fixed point with d <= 9 decimals of a finite |v| < 2^32, exactly: v is
// m * 2^e, so v * 10^d = m * 10^d * 2^e, rounded to a whole number to
// nearest, ties to even, in 64-bit integers. The same text as the general
// conversion below, in a fraction of its time.
char* fixed_digits_fast(char* out, float v, int d)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(v);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint64_t m = biased == 0 ? (bits & 0x7FFFFF) : ((bits & 0x7FFFFF) | 0x800000);
    const int e = (biased == 0 ? 1 : biased) - 150;
    const std::uint64_t N = m * kPowersOfTen[d];  // below 2^54
    std::uint64_t q = 0;
    if (e >= 0) {
        q = N << e;
    } else if (-e < 55) {  // further right the value is below half a unit
        const int s = -e;
        q = N >> s;
        const std::uint64_t rest = N & ((std::uint64_t{1} << s) - 1);
        const std::uint64_t half = std::uint64_t{1} << (s - 1);
        if (rest > half || (rest == half && (q & 1) != 0))
            ++q;
    }
    // All digits of q on a row of zeros, from the (d + 1)-th digit before
    // the end at least, so that "0." and the zeros after the point are
    // there; then the point slid in before the last d of them. The whole
    // part has at most 10 digits and the decimals at most 9: each goes out
    // in one copy of 16 bytes (what follows the text in `out` is left over,
    // not read).
    char text[48];
    std::memset(text, '0', sizeof text);
    char* const text_end = text + 32;
    const char* first = std::min(digits_before(text_end, q), text_end - (d + 1));
    if ((bits >> 31) != 0)
        *out++ = '-';
    const auto whole = static_cast<std::size_t>(text_end - first - d);
    std::memcpy(out, first, 16);
    out[whole] = '.';
    std::memcpy(out + whole + 1, first + whole, 16);
    return out + whole + 1 + d;
}

// The general conversion, for more decimals or larger magnitudes than any
// report shows: out of line, so that the usual numbers take no part in
// its set-up.
[[gnu::noinline]] std::string_view fixed_digits_general(char* buf, float v, int d)
{
    auto res = std::to_chars(buf, buf + kBuffer - 1, static_cast<double>(v), std::chars_format::fixed, d);
    char* end = res.ptr;
    if (d == 0)
        *end++ = '.';
    return {buf, static_cast<std::size_t>(end - buf)};
}

// Fixed-point digits of v with d decimals into buf; "0." keeps its zero.
// Fortran writes the decimal point even with no decimals ("3.").
std::string_view fixed_digits(char* buf, float v, int d)
{
    d = std::clamp(d, 0, kMaxDecimals);
    if (d <= kFastDecimals && std::fabs(v) < kFastLimit) {
        char* end = fixed_digits_fast(buf, v, d);
        return {buf, static_cast<std::size_t>(end - buf)};
    }
    return fixed_digits_general(buf, v, d);
}

// Removes the "0" of a leading "0." or "-0." (Fortran's optional zero).
std::string_view without_leading_zero(char* buf, std::string_view s)
{
    std::size_t at = (s.size() > 1 && s[0] == '-') ? 1 : 0;
    if (s.size() > at + 1 && s[at] == '0' && s[at + 1] == '.') {
        for (std::size_t i = at; i + 1 < s.size(); ++i)
            buf[i] = buf[i + 1];
        return {buf, s.size() - 1};
    }
    return s;
}

// Writes s from column 1 of the blanked field; returns the characters written.
int put_shortest(Field out, std::string_view s)
{
    blank(out);
    put(out, 1, s);
    return static_cast<int>(std::min(s.size(), out.size()));
}

}  // namespace

void fixed(Field out, float v, int d)
{
    if (!std::isfinite(v))
        return nonfinite(out, v);
    // The digits after a row of blanks: a field of up to kLead columns more
    // than the digits takes its leading blanks and the digits in one copy.
    constexpr std::size_t kLead = 16;
    char buf[kLead + kBuffer];
    std::memset(buf, ' ', kLead);
    char* const digits = buf + kLead;
    std::string_view s = fixed_digits(digits, v, d);
    if (s.size() > out.size())
        s = without_leading_zero(digits, s);
    if (s.size() <= out.size() && out.size() - s.size() <= kLead)
        return copy_ending_at(out, s.data() + s.size());
    right_aligned(out, s);
}

void exponential(Field out, float v, int d)
{
    if (!std::isfinite(v))
        return nonfinite(out, v);
    d = std::clamp(d, 1, kMaxDecimals);
    // d significant digits: "D.DDDDe+XX"; the mantissa below 1 is 0.DDDDD
    // with the exponent raised by one (zero keeps exponent 0).
    char sci[kBuffer];
    const auto res =
        std::to_chars(sci, sci + kBuffer, static_cast<double>(std::fabs(v)), std::chars_format::scientific, d - 1);
    const std::string_view s(sci, static_cast<std::size_t>(res.ptr - sci));
    const std::size_t e = s.find('e');
    int exp10 = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exp10);
    if (v != 0.0f)
        exp10 += 1;
    char buf[kBuffer];
    std::size_t n = 0;
    if (std::signbit(v))
        buf[n++] = '-';
    if (n + 2 + static_cast<std::size_t>(d) + 4 <= out.size())
        buf[n++] = '0';  // the optional zero, where the field has room
    buf[n++] = '.';
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.')
            buf[n++] = s[i];
    const int mag = exp10 < 0 ? -exp10 : exp10;
    buf[n++] = 'E';
    buf[n++] = exp10 < 0 ? '-' : '+';
    buf[n++] = static_cast<char>('0' + (mag / 10) % 10);
    buf[n++] = static_cast<char>('0' + mag % 10);
    right_aligned(out, {buf, n});
}

void integer(Field out, long long v)
{
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    right_aligned(out, {buf, static_cast<std::size_t>(res.ptr - buf)});
}

void nearest_whole(Field out, float v)
{
    if (!std::isfinite(v))
        return nonfinite(out, v);
    float r = std::round(v);  // halves away from zero
    if (!(r >= -2147483648.0f && r < 2147483648.0f))
        return fill_asterisks(out);
    integer(out, static_cast<long long>(r));
}

std::string_view fixed_text(TextBuffer& buf, float v, int d)
{
    return std::isfinite(v) ? fixed_digits(buf.data(), v, d) : nonfinite_word(v);
}

std::string_view nearest_whole_text(TextBuffer& buf, float v)
{
    if (!std::isfinite(v))
        return nonfinite_word(v);
    float r = std::round(v);
    if (!(r >= -2147483648.0f && r < 2147483648.0f))
        return "***********";
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<long long>(r));
    return {buf.data(), static_cast<std::size_t>(res.ptr - buf.data())};
}

int fixed_shortest(Field out, float v, int d)
{
    TextBuffer buf;
    return put_shortest(out, fixed_text(buf, v, d));
}

int nearest_whole_shortest(Field out, float v)
{
    TextBuffer buf;
    return put_shortest(out, nearest_whole_text(buf, v));
}

}  // namespace tx14::field
