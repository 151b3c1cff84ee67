// exp, log10 and real powers of floats: the correctly rounded value, also
// for the inputs where the C libraries' float versions are a bit off.
#include "report/single_precision.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

using namespace tx14;

namespace {

enum class Fn { exp, log10, pow };

struct Case {
    Fn fn;
    std::uint32_t x;  // bits of the argument
    float y;          // exponent of a power
    std::uint32_t expected;
};

float evaluate(const Case& c)
{
    float x = std::bit_cast<float>(c.x);
    switch (c.fn) {
    case Fn::exp: return exp_single(x);
    case Fn::log10: return log10_single(x);
    case Fn::pow: return real_power(x, c.y);
    }
    return 0.0f;
}

TEST(SinglePrecisionFunctions, GiveTheCorrectlyRoundedValue)
{
    const Case cases[] = {
        // Just below a power of ten the logarithm stays below the integer:
        // SIGDIGITS takes its digit count from it.
        {Fn::log10, 0x42c7fffe, 0, 0x3fffffff},  // 99.9999847 -> 1.99999988
        {Fn::log10, 0x4479fffb, 0, 0x403fffff},  // 999.999695 -> 2.99999976
        {Fn::log10, 0x497423f7, 0, 0x40bfffff},  // 999999.438 -> 5.99999952
        {Fn::log10, 0x3d6075f7, 0, 0xbfa16fa3},  // 0.0548 -> -1.26121938
        {Fn::log10, 0x447a0000, 0, 0x40400000},  // 1000 -> 3 exactly
        {Fn::exp, 0x3dbc1921, 0, 0x3f8c501b},    // 0.0918448046
        {Fn::exp, 0x3dd2590c, 0, 0x3f8dd879},    // 0.102708906
        {Fn::exp, 0x00000000, 0, 0x3f800000},    // 0 -> 1
        {Fn::pow, 0x402af9db, 0.25f, 0x3fa3a4bc},  // 2.67149997^0.25
        {Fn::pow, 0x4193bda5, 0.25f, 0x4004ac4a},  // 18.4675999^0.25
        {Fn::pow, 0x41ba35dd, 3.5f, 0x476da959},   // 23.2763004^3.5
        {Fn::pow, 0x41800000, 0.75f, 0x41000000},  // 16^0.75 -> 8 exactly
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(evaluate(c)), c.expected)
            << std::hex << "argument bits " << c.x;
}

TEST(SinglePrecisionFunctions, NonFiniteAndOutOfDomainArgumentsGiveNaNOrInfinity)
{
    EXPECT_TRUE(std::isnan(log10_single(-1.0f)));
    EXPECT_TRUE(std::isnan(real_power(-8.0f, 0.5f)));
    EXPECT_TRUE(std::isnan(exp_single(std::bit_cast<float>(0x7fc00000u))));
    EXPECT_EQ(exp_single(100.0f), std::bit_cast<float>(0x7f800000u));  // overflows the float
    EXPECT_EQ(log10_single(0.0f), -std::bit_cast<float>(0x7f800000u));
}

}  // namespace
