// SUBSTVALUES and TIDYFORMULA: the template language of formula lines.
#include "report/formula.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "report_test_util.hpp"

using namespace tx14;
using tx14::test::padded;
using tx14::test::without_trailing_blanks;

namespace {

std::string substituted(std::string_view tmpl, std::vector<float> values, int print = 1)
{
    Report r;
    r.print = print;
    std::string work = padded(tmpl, kFormulaWidth);
    SUBSTVALUES(r, Field(work.data(), work.size()), values);
    EXPECT_EQ(work.size(), 120u);
    return without_trailing_blanks(work);
}

struct Case {
    const char* tmpl;
    std::vector<float> values;
    const char* expected;
};

TEST(Substitution, RenderingRules)
{
    const Case cases[] = {
        {" = (@2 *@3 )/(@2 *@2 - 0.6 *@2 ) + @3 #", {150, 24.5f, 20000, 0.85f, 150, 0.125f},
         " = (150.0 *24.5 )/(20000.0 * 0.85 - 0.6 *150.0 ) +  0.125"},
        {" = @4 * 1.414", {0.25f}, " =  0.25 * 1.414"},     // small values keep a leading blank
        {" = @4 / .875 * 1.414", {12.5f}, " = 12.5/.875 * 1.414"},
        {" = @0", {149.6f}, " = 150"},
        {" = @0", {-2.5f}, " = -3"},                        // halves away from zero
        {" = @2", {700000.4f}, " = 700000"},                // above 500000: whole number
        {" = @1", {2.0e8f}, " = .20000E+09"},
        {" = @3", {-1.5e8f}, " =   -0.2E+09"},              // too wide: one digit
        {" @2 @3 @4", {0, 0, 0}, " 0.0 0.0 0.0"},
        {" @4 @4 @4", {3.0f, 12.9991f, 1.9995f}, " 3.0 13.0 2.0"},  // near-integers
        {" @4 @5 @2", {12.5f, 5.0f, 0.5f}, " 12.5 5.0  0.5"},         // trailing zeros
        {" (@2", {0.5f}, " ( 0.5"},
        {" = @8", {1234.5f}, " =  0.123E+04"},
        {" = @9 end", {1234.5f}, " = end"},                 // unknown selector: consumed, blank
        {" = @2 * [@2]", {2, 3}, " = 2.0 * [3.0]"},
        {" = @2 # dropped", {4}, " = 4.0"},
        {" = no placeholders  ,  here", {}, " = no placeholders,  here"},
        {" = @2", {-0.25f}, " = -0.25"},
        {" = @3", {-123456.0f}, " =   -0.1E+06"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(substituted(c.tmpl, c.values), c.expected) << c.tmpl;
}

TEST(Substitution, SeventhPlaceholderAndEverythingAfterIsCopied)
{
    EXPECT_EQ(substituted(" @1 @1 @1 @1 @1 @1 @4 / @4", {1, 2, 3, 4, 5, 6}),
              " 1.0 2.0 3.0 4.0 5.0 6.0 @4/@4#");
}

TEST(Substitution, PlaceholderBeyondTheValuesRendersZero)
{
    EXPECT_EQ(substituted(" = @2 + @2", {7}), " = 7.0 + 0.0");
}

TEST(Substitution, NonFiniteValues)
{
    float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(substituted(" = @0 + @3 + @4", {std::nanf(""), -inf, inf}),
              " = NaN +  -Infinity +   Infinity");
}

TEST(Substitution, NothingChangesWhileThePrintSwitchIsOff)
{
    EXPECT_EQ(substituted(" = @4 * 2  ", {3}, 0), " = @4 * 2");
}

TEST(Substitution, NeverWritesPastColumn120)
{
    std::string tmpl(115, 'x');
    tmpl += "@4@4";
    EXPECT_EQ(substituted(tmpl, {12345.5f, 9}), std::string(115, 'x') + "12345");
    std::string full(120, 'y');
    EXPECT_EQ(substituted(full, {}), full);  // no room for an end marker
}

TEST(Tidy, ClosesUpAroundSlashesSuperscriptsAndCommas)
{
    const std::pair<const char*, const char*> cases[] = {
        {"( 2 / 3 )", "( 2/3 )"},
        {"x ^(2)", "x^(2)"},
        {"a , b", "a, b"},
        {"G  \xB2 * P", "G\xB2 * P"},
        {"ends with /   ", "ends with/"},
        {"a + b - ( c )", "a + b - ( c )"},
    };
    for (auto [before, after] : cases) {
        std::string s = padded(before, 120);
        TIDYFORMULA(Field(s.data(), s.size()));
        EXPECT_EQ(without_trailing_blanks(s), after) << before;
    }
}

// The tidy rules applied literally, one deletion at a time: for each
// character in turn, while a blank stands directly before it, delete that
// blank; then while a "/" that is not the last non-blank is followed by a
// blank, delete the blank.
std::string tidied_step_by_step(std::string line)
{
    auto last_nonblank = [&] { return line.find_last_not_of(' ') + 1; };
    auto delete_at = [&](std::size_t at) {
        line.erase(at, 1);
        line += ' ';
    };
    if (line.find_first_not_of(' ') == std::string::npos)
        return line;
    for (char c : {'\xB2', '\xB3', '\xBD', '^', ',', '/'})
        for (std::size_t at; (at = line.find(std::string{' ', c})) != std::string::npos;)
            delete_at(at);
    for (std::size_t at; (at = line.find("/ ")) != std::string::npos && at + 1 < last_nonblank();)
        delete_at(at + 1);
    return line;
}

TEST(Tidy, SamePassAsTheRulesOneDeletionAtATime)
{
    // Lines mostly of blanks and the characters the rules act on.
    constexpr char kAlphabet[] = "      /^,\xB2\xB3\xBD(a1-*";
    std::uint32_t s = 1;
    for (int n = 0; n < 20000; ++n) {
        std::string line(120, ' ');
        const std::size_t length = 1 + n % 120;
        for (std::size_t i = 0; i < length; ++i) {
            s = s * 1664525u + 1013904223u;
            line[i] = kAlphabet[(s >> 16) % (sizeof kAlphabet - 1)];
        }
        std::string tidied = line;
        TIDYFORMULA(Field(tidied.data(), tidied.size()));
        ASSERT_EQ(tidied, tidied_step_by_step(line)) << line;
    }
}

}  // namespace
