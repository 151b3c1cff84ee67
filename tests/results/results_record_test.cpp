// The results record over thousands of generated items, hostile ones among
// them: utilization, the governing check, the promise behind "acceptable",
// and the report's warnings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>

#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::HostItem;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Values around a sound design: scaled by 1/4 to 4, and now and then a
// value no input should hold.
struct Generator {
    std::mt19937 random;

    float pick(std::initializer_list<float> values)
    {
        return values.begin()[std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(random)];
    }
    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; }
    float around(float base)
    {
        if (chance(4))
            return pick({0.0f, -base, kNaN, kInf, -kInf, 1e30f, -1.0101f, 1e-30f, -1e-30f});
        return base * std::exp2(std::uniform_real_distribution<float>(-2.0f, 2.0f)(random));
    }
    // Sets elements around their bases, each 0 in `zero` percent of the items.
    void set(HostItem& item, std::initializer_list<int> elements, std::initializer_list<float> bases, int zero = 0)
    {
        for (std::size_t i = 0; i < elements.size(); ++i)
            item[elements.begin()[i]] = zero > 0 && chance(zero) ? 0.0f : around(bases.begin()[i]);
    }

    HostItem opening(int code)
    {
        HostItem item;
        set(item, {5, 7, 8, 9, 10, 11, 12}, {100, 4, 30, 60, 1, 1.5f, 3});
        set(item, {13}, {0.125f}, 20);
        set(item, {15}, {20000});
        item[25] = static_cast<float>(code);
        if (chance(40))
            set(item, {18, 19, 20}, {0.75f, 1.25f, 2.5f});
        return item;
    }

    HostItem jacket(int code)
    {
        HostItem item = code >= 3 ? test::limpet_coil_item() : test::half_pipe_item();
        set(item, {2, 3}, {48, 0.5f});
        item[4] = chance(10) ? -around(15) : around(100);
        set(item, {6}, {20000});
        set(item, {8}, {0.125f}, 20);
        item[9] = chance(80) ? pick({1, 0.85f, 0.7f}) : around(1);
        item[10] = chance(90) ? pick({2, 2.5f, 3, 3.5f, 4}) : around(3);
        set(item, {11, 12, 14}, {0.25f, 150, 15000});
        set(item, {16}, {0.0625f}, 30);
        set(item, {19}, {0.0625f}, 70);
        set(item, {18}, {5}, 80);
        item[20] = static_cast<float>(code);
        if (chance(10))
            item[17] = around(1.5f);  // a formed jacket or coil
        return item;
    }
};

// The criteria an opening's report warns about: each stress row of the
// summary over its allowable at either place (the head/shell juncture or
// the opening), each hub stress at the opening over its allowable, and the
// M.A.W.P. below P. The minimum thickness line is not a criterion.
std::set<std::string> opening_warnings(const Context& ctx, const std::set<std::string>& failing)
{
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"Long.  Hub     SH |", "SH"},    {"Radial         SR |", "SR"},    {"Tangential     ST |", "ST"},
        {"Average (SH+SR)/2 |", "SH_SR"}, {"Average (SH+ST)/2 |", "SH_ST"},
    };
    std::set<std::string> warned;
    std::string previous;
    for (int i = 0; i < ctx.captured_lines(); previous = test::text_of(ctx.captured_record(i++))) {
        const std::string line = test::text_of(ctx.captured_record(i));
        if (ctx.captured_record(i)[117] != '1')  // the fifth style code: a warning
            continue;
        // A warned row names a failing check at either place (if none, the shell's stands for it).
        for (auto [row, key] : rows) {
            const std::string shell = std::string(key) + "_shell", opening = std::string(key) + "_opening";
            if (line.starts_with(row) && failing.count(opening))
                warned.insert(opening);
            if (line.starts_with(row) && (failing.count(shell) || !failing.count(opening)))
                warned.insert(shell);
        }
        if (previous == "Longitudinal Hub Stress in Central Opening [SHO]:")
            warned.insert("SH_opening");
        if (previous == "Radial Stress at Central Opening [SRO]:")
            warned.insert("SR_opening");
        if (line.starts_with("M.A.W.P. for the given Geometry"))
            warned.insert("MAWP");
    }
    return warned;
}

// The criteria a half-pipe jacket's report warns about, by the message of
// each warning block; P' at ts below the design jacket pressure is the
// criterion Trj says in thickness.
std::set<std::string> jacket_warnings(const Context& ctx)
{
    const std::pair<std::string_view, const char*> messages[] = {
        {"The Input Thickness is < the Req'd Thickness for Internal Pressure!", "Tr"},
        {"The Input Thickness is < the Req'd Thickness for Jacket Pressure!", "Trj"},
        {"No Shell Thickness Withstands the Jacket Pressure - Revise the Design!", "Trj"},
        {"Input Thickness is less than the Required Thickness", "T"},
    };
    std::set<std::string> warned;
    for (int i = 0; i + 1 < ctx.captured_lines(); ++i) {
        if (test::text_of(ctx.captured_record(i)) != "*** WARNING ***")
            continue;
        const std::string message = test::text_of(ctx.captured_record(i + 1));
        std::string criterion = message;  // a warning of no criterion stands for itself
        for (auto [known, key] : messages)
            criterion = message.starts_with(known) ? key : criterion;
        warned.insert(criterion);
    }
    return warned;
}

// The code of an opening, or 10 + the code of a jacket or coil.
class GeneratedItems : public ::testing::TestWithParam<int> {};

// Acceptable only when every applicable check passed and no input lies
// outside its method (checked here from the inputs, independently of the
// record); not analysed always says why; a report warns about exactly the
// failing checks (a coil's report states its results without warnings).
TEST_P(GeneratedItems, VerdictAndWarningsKeepTheirPromises)
{
    const bool jacket = GetParam() > 10;
    const int code = GetParam() % 10;
    Generator g{std::mt19937(static_cast<unsigned>(100 * jacket + code))};
    Context ctx;
    int counts[3] = {};
    for (int n = 0; n < 5000; ++n) {
        HostItem item = jacket ? g.jacket(code) : g.opening(code);
        item.run(ctx);
        const std::string what = "item " + std::to_string(n) + ", elements 1 to 21 " +
                                 ::testing::PrintToString(std::vector(item.reals.begin(), item.reals.begin() + 21));
        const int verdict = ctx.verdict();
        ++counts[verdict];
        ASSERT_EQ(verdict == TX14_NOT_ANALYSED, ctx.reason_count() > 0) << what;
        if (verdict == TX14_NOT_ANALYSED)
            continue;
        // Utilization on signed values: value/limit (<=), limit/value (>=);
        // +inf when the divisor is not above 0. The governing check: a
        // failing one if any fails, the highest utilization among them
        // (within 1e-6: the M.A.W.P. rests on the governing stress).
        std::set<std::string> failing;
        int applicable = 0, sound = 0;  // passed on finite numbers
        tx14_check c, governing;
        ASSERT_TRUE(ctx.check(ctx.governing(), governing) && governing.applicable) << what;
        for (int i = 0; ctx.check(i, c); ++i) {
            if (!c.applicable)
                continue;
            ++applicable;
            sound += c.passes && std::isfinite(c.value) && std::isfinite(c.limit);
            if (!c.passes)
                failing.insert(c.key);
            const bool at_most = c.relation == std::string_view("<=");
            const float divisor = at_most ? c.limit : c.value;
            if (std::isfinite(c.value) && std::isfinite(c.limit))
                ASSERT_FLOAT_EQ(c.utilization, divisor > 0 ? (at_most ? c.value : c.limit) / divisor : kInf) << what;
            else
                ASSERT_TRUE(std::isnan(c.utilization)) << what;
            ASSERT_TRUE(c.passes > governing.passes ||
                        (c.passes == governing.passes && !(c.utilization > governing.utilization * (1 + 1e-6f))))
                << what << ": " << c.key << " over " << governing.key;
        }
        ASSERT_EQ(verdict == TX14_ACCEPTABLE, applicable > 0 && sound == applicable) << what;
        if (jacket && failing.erase("Pprime_ts"))
            failing.insert("Trj");
        if (!jacket || code <= 2) {
            ASSERT_EQ(jacket ? jacket_warnings(ctx) : opening_warnings(ctx, failing), failing) << what;
        }
        if (verdict != TX14_ACCEPTABLE)
            continue;
        const auto finite = [&](std::initializer_list<int> elements) {
            return std::all_of(elements.begin(), elements.end(), [&](int e) { return std::isfinite(item[e]); });
        };
        if (jacket) {
            // ExtPCore adds to a jacket's Pj.
            ASSERT_TRUE(finite({2, 3, 4, 6, 8, 9, 11, 12, 14, 16, 17, 19}) && (code >= 3 || finite({18}))) << what;
            ASSERT_TRUE(item[8] >= 0 && item[16] >= 0 && item[19] >= 0 && item[6] > 0 && item[14] > 0) << what;
            const float net = item[3] - item[8] - item[19];
            ASSERT_TRUE(code >= 3 || (item[4] >= 0 && net >= 0.1875f && net <= 2.0f && item[9] > 0 && item[9] <= 1))
                << what;
            ASSERT_TRUE(code != 1 || (item[2] >= 30 && item[2] <= 170 && item[4] <= 0.385f * item[6] * item[9]))
                << what;
            ASSERT_TRUE(item[17] > 0.01f || (item[10] >= 2 && item[10] <= 4)) << what;  // or a formed radius
        } else {
            ASSERT_TRUE(finite({5, 7, 8, 9, 10, 11, 12, 13, 15, 18, 19, 20, 21})) << what;
            const double G = static_cast<double>(item[9]) - 2.0 * item[10] + 2.0 * item[13];
            ASSERT_TRUE(item[13] >= 0 && 0.5 * (G - item[8] - 2.0 * item[13]) > -1e-4) << what;
        }
    }
    EXPECT_TRUE(counts[0] > 100 && counts[1] > 100 && counts[2] > 100) << "the sweep reaches every verdict";
}

INSTANTIATE_TEST_SUITE_P(EveryKindAndCode, GeneratedItems, ::testing::Values(1, 2, 11, 12, 13, 14),
                         [](const auto& info) {
                             return (info.param > 10 ? "jacket_" : "opening_") + std::to_string(info.param % 10);
                         });

// A permissible value not above 0 fails even where its relation holds, and
// a note says why.
TEST(Checks, AValueNotAbove0FailsWithANote)
{
    ResultsRecord rec;
    rec.check("Pprime_ts", "P'", Quantity::pressure, -15.0f, ">=", -144.0f, true);
    rec.check("Tr", "Tr", Quantity::thickness, 0.2f, "<=", 0.3f, true);
    rec.finish();
    EXPECT_EQ(rec.verdict, Verdict::not_acceptable);
    ASSERT_EQ(rec.note_count, 1);
    EXPECT_STREQ(rec.notes[0].code, "check_not_positive");
    EXPECT_STREQ(rec.note_text(0),
                 "A permissible value or a limit not above 0 fails its check, whatever it is "
                 "compared with: Pprime_ts.");
}

// The error sections of inputs no component can have, byte for byte in
// their order, from the blank line before the heading to the closing line:
// the fatal checks after the historical ones.
TEST(ErrorSections, InputsNoComponentCanHaveArePrintedByteForByte)
{
    const std::pair<HostItem, std::vector<std::string>> cases[] = {
        {HostItem{}.set({{13, -1}, {18, 10}, {19, 20}, {20, 3}}),  // R = 14 in. without the nozzle hub
         {"", "ERROR MESSAGES FOR FLANGE NUMBER     1", "", "ERROR - The corrosion allowance must not be negative.", "",
          "ERROR - The opening and its nozzle hub must lie inside the shell.", "",
          "Number of fatal errors: 2.0000 This Analysis will be terminated."}},
        {test::half_pipe_item().set({{10, 6}}),
         {"", "ERROR MESSAGES FOR HALF-PIPE NUMBER     7", "", "ERROR - Nominal Pipe Size is not valid.", "",
          "Total Number of Errors, 1.0000, . Please Correct and Retry."}},
        {test::half_pipe_item().set({{8, -0.2f}, {9, 85}, {6, 0}}),
         {"", "ERROR MESSAGES FOR HALF-PIPE NUMBER     7", "", "ERROR - A corrosion allowance is negative.", "",
          "ERROR - The joint efficiency must be greater than 0 and not greater than 1.", "",
          "ERROR - The allowable stresses must be greater than 0.", "",
          "Total Number of Errors, 3.0000, . Please Correct and Retry."}},
        {test::limpet_coil_item().set({{16, -0.1f}, {14, -1}, {10, 1}}),
         {"", "ERROR MESSAGES FOR HALF-PIPE NUMBER     8", "", "ERROR - Nominal Pipe Size is not valid.", "",
          "ERROR - A corrosion allowance is negative.", "", "ERROR - The allowable stresses must be greater than 0.",
          "", "Total Number of Errors, 3.0000, . Please Correct and Retry."}},
    };
    for (const auto& [item, section] : cases) {
        const test::ItemRun run = test::run(item);
        const int at = run.find("ERROR MESSAGES FOR ", true);
        ASSERT_GE(at, 1) << section[3];
        EXPECT_EQ(std::vector(run.lines.begin() + at - 1, run.lines.end() - 2), section);  // to the notice's blank line
    }
}

}  // namespace
