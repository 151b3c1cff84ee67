// Single-precision helpers shared by every calculation: whole-number and real
// powers, exp and log10 that give the same bits on every platform, and the
// float-to-integer conversions of values carried in the real array.
#pragma once

#include <cmath>
#include <cstdint>

namespace tx14 {

// x^n by repeated squaring, every product rounded to single precision
// (x^3 = (x*x)*x, x^4 = (x*x)*(x*x)), as Fortran compilers evaluate a
// whole-number power. std::pow(float, int) would work in double.
inline float whole_power(float x, int n)
{
    unsigned u = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    float base = n < 0 ? 1.0f / x : x;
    float y = 1.0f;
    while (u != 0) {
        if (u & 1u)
            y *= base;
        u >>= 1;
        if (u != 0)
            base *= base;
    }
    return y;
}

// exp, log10 and real powers of single-precision values, evaluated in double
// and rounded once. The C libraries' float versions differ in the last bit
// (glibc's log10f takes 99.9999847 to 2, the Windows runtimes to 1.99999988,
// which changes the digits SIGDIGITS prints), so the Linux library and the
// Windows DLL would not agree; through double both get the correctly
// rounded value, save for results within about 2^-50 of a halfway point.
inline float exp_single(float x) { return static_cast<float>(std::exp(static_cast<double>(x))); }

inline float log10_single(float x) { return static_cast<float>(std::log10(static_cast<double>(x))); }

inline float real_power(float x, float y)
{
    return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
}

// Truncation toward zero of an integer carried as a float. NaN and values
// outside the 32-bit range give 0 instead of undefined behaviour.
inline std::int32_t truncate_to_int32(float x)
{
    if (!(x > -2147483904.0f && x < 2147483648.0f))
        return 0;
    return static_cast<std::int32_t>(x);
}

}  // namespace tx14
