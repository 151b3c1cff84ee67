// The results record: utilization and the governing check, the error
// sections of inputs no component can have, and the promise behind
// "acceptable" over thousands of generated items, hostile ones among them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "txappendix14_record.hpp"

namespace {

using namespace tx14;
using test::HostItem;
using test::JacketItem;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Utilization on signed values: value/limit (<=), limit/value (>=); +inf
// and a failure when the divisor is not above 0.
TEST(ResultsRecord, UtilizationAndPassing)
{
    const struct {
        float value;
        const char* relation;
        float limit;
        float tolerance;
        float utilization;
        bool passes;
    } cases[] = {
        {5, "<=", 10, 0, 0.5f, true},
        {10, "<=", 10, 0, 1, true},
        {10.00005f, "<=", 10, 0.0001f, 1.000005f, true},  // within the tolerance, shown against the limit
        {10.0002f, "<=", 10, 0.0001f, 1.00002f, false},
        {-3, "<=", 10, 0, -0.3f, true},  // a signed value below its limit
        {5, "<=", 0, 0, kInf, false},    // a limit not above 0
        {5, "<=", -10, 0, kInf, false},
        {200, ">=", 100, 0, 0.5f, true},
        {-130.75f, ">=", 100, 0, kInf, false},  // a negative permissible pressure
        {0, ">=", 100, 0, kInf, false},
        {kNaN, "<=", 10, 0, kNaN, false},
        {5, ">=", kInf, 0, kNaN, false},
    };
    for (const auto& c : cases) {
        ResultsRecord rec;
        if (c.tolerance > 0)  // a rule of the analysis's own: Trj up to ts + 0.0001
            rec.check_by(c.value > c.limit + c.tolerance, "k", "k", Quantity::stress, c.value, c.relation, c.limit);
        else
            rec.check("k", "k", Quantity::stress, c.value, c.relation, c.limit);
        const RecordedCheck& k = rec.checks[0];
        if (std::isnan(c.utilization))
            EXPECT_TRUE(std::isnan(k.utilization)) << c.value << c.relation << c.limit;
        else
            EXPECT_FLOAT_EQ(k.utilization, c.utilization) << c.value << c.relation << c.limit;
        EXPECT_EQ(k.passes, c.passes) << c.value << c.relation << c.limit;
    }
}

// Failing checks first, then the highest utilization; on a tie within
// 1e-6 the earlier check; a check that does not apply never governs.
TEST(ResultsRecord, GoverningCheckAndVerdict)
{
    const struct {
        std::vector<std::pair<float, bool>> checks;
        int governing;
        Verdict verdict;
    } cases[] = {
        {{{0.4f, true}, {0.6f, true}}, 1, Verdict::acceptable},
        {{{0.6f, true}, {0.6000003f, true}}, 0, Verdict::acceptable},  // a tie: the stress before the M.A.W.P.
        {{{0.6f, true}, {0.7f, true}, {2.0f, false}}, 1, Verdict::acceptable},
        {{{0.9f, true}, {1.2f, true}}, 1, Verdict::not_acceptable},
        {{{3.0f, false}, {1.2f, true}}, 1, Verdict::not_acceptable},  // the failing one, not the larger
        {{{3.0f, false}}, -1, Verdict::not_analysed},                 // nothing applies
    };
    for (std::size_t n = 0; n < std::size(cases); ++n) {
        ResultsRecord rec;
        for (auto [u, applies] : cases[n].checks)
            rec.check("k", "k", Quantity::stress, u, "<=", 1.0f, applies);
        rec.finish();
        EXPECT_EQ(rec.governing, cases[n].governing) << n;
        EXPECT_EQ(rec.verdict, cases[n].verdict) << n;
        EXPECT_EQ(rec.reason_count > 0, rec.verdict == Verdict::not_analysed) << n;
    }
}

// The lines of an error section: from its heading to its closing line.
std::vector<std::string> error_section(const test::ItemRun& run, std::string_view heading)
{
    const int at = run.find(heading, true);
    if (at < 0)
        return {};
    std::vector<std::string> lines(run.lines.begin() + at, run.lines.end() - 2);  // up to the notice's blank line
    return lines;
}

TEST(ErrorSections, InputsNoComponentCanHaveArePrintedByteForByte)
{
    HostItem opening;  // R = 14 in.: G = 58.25, Bn + 2 ca = 30.25
    const struct {
        HostItem item;
        const char* heading;
        std::vector<std::string> section;
    } cases[] = {
        {HostItem(opening).set({{13, -0.5f}}),
         "ERROR MESSAGES FOR FLANGE NUMBER",
         {"ERROR MESSAGES FOR FLANGE NUMBER     1", "", "ERROR - The corrosion allowance must not be negative.", "",
          "Number of fatal errors: 1.0000 This Analysis will be terminated."}},
        {HostItem(opening).set({{8, 59}}),
         "ERROR MESSAGES FOR FLANGE NUMBER",
         {"ERROR MESSAGES FOR FLANGE NUMBER     1", "",
          "ERROR - The opening and its nozzle hub must lie inside the shell.", "",
          "Number of fatal errors: 1.0000 This Analysis will be terminated."}},
        {HostItem(opening).set({{13, -1}, {18, 10}, {19, 20}, {20, 3}}),
         "ERROR MESSAGES FOR FLANGE NUMBER",
         {"ERROR MESSAGES FOR FLANGE NUMBER     1", "", "ERROR - The corrosion allowance must not be negative.", "",
          "ERROR - The opening and its nozzle hub must lie inside the shell.", "",
          "Number of fatal errors: 2.0000 This Analysis will be terminated."}},
        {test::half_pipe_item().set({{10, 6}}),
         "ERROR MESSAGES FOR HALF-PIPE NUMBER",
         {"ERROR MESSAGES FOR HALF-PIPE NUMBER     7", "", "ERROR - Nominal Pipe Size is not valid.", "",
          "Total Number of Errors, 1.0000, . Please Correct and Retry."}},
        {test::half_pipe_item().set({{8, -0.2f}, {9, 85}, {6, 0}}),
         "ERROR MESSAGES FOR HALF-PIPE NUMBER",
         {"ERROR MESSAGES FOR HALF-PIPE NUMBER     7", "", "ERROR - A corrosion allowance is negative.", "",
          "ERROR - The joint efficiency must be greater than 0 and not greater than 1.", "",
          "ERROR - The allowable stresses must be greater than 0.", "",
          "Total Number of Errors, 3.0000, . Please Correct and Retry."}},
        {test::limpet_coil_item().set({{16, -0.1f}, {14, -1}, {10, 1}}),
         "ERROR MESSAGES FOR HALF-PIPE NUMBER",
         {"ERROR MESSAGES FOR HALF-PIPE NUMBER     8", "", "ERROR - Nominal Pipe Size is not valid.", "",
          "ERROR - A corrosion allowance is negative.", "", "ERROR - The allowable stresses must be greater than 0.",
          "", "Total Number of Errors, 3.0000, . Please Correct and Retry."}},
    };
    for (const auto& c : cases) {
        const test::ItemRun run = test::run(c.item);
        EXPECT_EQ(error_section(run, c.heading), c.section) << c.section[2];
        EXPECT_EQ(run.lines[static_cast<std::size_t>(run.find(c.heading, true)) - 1], "");
        EXPECT_EQ(run.lines.back(), test::kNotice);
    }
}

// ---- Generated items --------------------------------------------------------

// Values around a sound design: scaled by 1/4 to 4, and now and then a
// value no input should hold.
struct Generator {
    std::mt19937 random{20261207};

    float pick(std::initializer_list<float> values)
    {
        return values.begin()[std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(random)];
    }
    float around(float base)
    {
        const int roll = std::uniform_int_distribution<int>(0, 99)(random);
        if (roll < 4)
            return pick({0.0f, -base, kNaN, kInf, -kInf, 1e30f, -1.0101f, 1e-30f, -1e-30f});
        return base * std::exp2(std::uniform_real_distribution<float>(-2.0f, 2.0f)(random));
    }
    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; }
};

HostItem opening_item(Generator& g, int code)
{
    HostItem item;
    item.set({{5, g.around(100)},
              {7, g.around(4)},
              {8, g.around(30)},
              {9, g.around(60)},
              {10, g.around(1)},
              {11, g.around(1.5f)},
              {12, g.around(3)},
              {13, g.chance(20) ? 0.0f : g.around(0.125f)},
              {15, g.around(20000)},
              {25, static_cast<float>(code)}});
    if (g.chance(40))
        item.set({{18, g.around(0.75f)}, {19, g.around(1.25f)}, {20, g.around(2.5f)}});
    return item;
}

JacketItem jacket_item(Generator& g, int code)
{
    JacketItem item = code >= 3 ? test::limpet_coil_item() : test::half_pipe_item();
    item.set({{2, g.around(48)},
              {3, g.around(0.5f)},
              {4, g.chance(10) ? -g.around(15) : g.around(100)},
              {6, g.around(20000)},
              {8, g.chance(20) ? 0.0f : g.around(0.125f)},
              {9, g.chance(80) ? g.pick({1, 0.85f, 0.7f}) : g.around(1)},
              {10, g.chance(90) ? g.pick({2, 2.5f, 3, 3.5f, 4}) : g.around(3)},
              {11, g.around(0.25f)},
              {12, g.around(150)},
              {14, g.around(15000)},
              {16, g.chance(30) ? 0.0f : g.around(0.0625f)},
              {19, g.chance(70) ? 0.0f : g.around(0.0625f)},
              {18, g.chance(80) ? 0.0f : g.around(5)},
              {20, static_cast<float>(code)}});
    if (g.chance(10))
        item.set({{17, g.around(1.5f)}});  // a formed jacket or coil
    return item;
}

bool finite_inputs(const HostItem& item, std::initializer_list<int> elements)
{
    for (int e : elements)
        if (!std::isfinite(item.reals[static_cast<std::size_t>(e - 1)]))
            return false;
    return true;
}

// What the record promises, checked on one run: acceptable means no input
// error, no reason, every value the verdict rests on finite, and every
// applicable check made and passed; not analysed always says why.
void expect_promises_kept(const Context& ctx, const std::string& what)
{
    const int verdict = ctx.verdict();
    ASSERT_EQ(verdict == TX14_NOT_ANALYSED, ctx.reason_count() > 0) << what;
    if (ctx.input_errors() > 0) {
        ASSERT_EQ(verdict, TX14_NOT_ANALYSED) << what;
    }
    tx14_check c;
    bool applicable = false, all_pass = true;
    for (int i = 0; ctx.check(i, c); ++i) {
        if (!c.applicable)
            continue;
        applicable = true;
        all_pass = all_pass && c.passes && std::isfinite(c.value) && std::isfinite(c.limit);
    }
    if (ctx.governing() >= 0) {
        ASSERT_TRUE(ctx.check(ctx.governing(), c));
        ASSERT_TRUE(c.applicable) << what;
    }
    if (verdict != TX14_ACCEPTABLE)
        return;
    ASSERT_TRUE(applicable && all_pass) << what;
    tx14_value v;
    for (int i = 0; ctx.value(i, v); ++i)
        ASSERT_TRUE(std::isfinite(v.value) || std::string_view(v.key) == "SHO" || std::string_view(v.key) == "SRO")
            << what << ": " << v.key;
}

struct KindAndCode {
    bool jacket;
    int code;
};

class GeneratedItems : public ::testing::TestWithParam<KindAndCode> {};

TEST_P(GeneratedItems, AcceptableOnlyWhenEveryCriterionPassedInsideItsMethod)
{
    const auto [jacket, code] = GetParam();
    Generator g;
    g.random.seed(static_cast<unsigned>(100 * jacket + code));
    Context ctx;
    int counts[3] = {};
    for (int n = 0; n < 5000; ++n) {
        HostItem item = jacket ? jacket_item(g, code) : opening_item(g, code);
        item.run(ctx);
        std::string what = "item " + std::to_string(n) + ":";
        for (int e = 1; e <= 21; ++e)
            what += " " + std::to_string(e) + "=" + std::to_string(item.reals[static_cast<std::size_t>(e - 1)]);
        expect_promises_kept(ctx, what);
        if (::testing::Test::HasFatalFailure())
            return;
        ++counts[ctx.verdict()];
        if (ctx.verdict() != TX14_ACCEPTABLE)
            continue;
        // Independently of the record: what no acceptable item can be.
        const auto at = [&](int e) { return item.reals[static_cast<std::size_t>(e - 1)]; };
        if (jacket) {
            ASSERT_TRUE(finite_inputs(item, {2, 3, 4, 6, 8, 9, 11, 12, 14, 16, 17, 19})) << what;
            ASSERT_TRUE(at(17) > 0.01f || std::isfinite(at(10))) << what;  // a formed radius sets the size
            ASSERT_TRUE(code >= 3 || std::isfinite(at(18))) << what;       // ExtPCore adds to a jacket's Pj
            ASSERT_TRUE(at(8) >= 0 && at(16) >= 0 && at(19) >= 0 && at(6) > 0 && at(14) > 0) << what;
            if (code <= 2) {
                const float net = at(3) - at(8) - at(19);
                ASSERT_TRUE(at(4) >= 0 && net >= 0.1875f && net <= 2.0f && at(9) > 0 && at(9) <= 1) << what;
            }
            if (code == 1) {
                ASSERT_TRUE(at(2) >= 30 && at(2) <= 170 && at(4) <= 0.385f * at(6) * at(9)) << what;
            }
            if (at(17) <= 0.01f) {
                ASSERT_TRUE(at(10) >= 2 && at(10) <= 4) << what;
            }
        } else {
            ASSERT_TRUE(finite_inputs(item, {5, 7, 8, 9, 10, 11, 12, 13, 15, 18, 19, 20, 21})) << what;
            const double G = static_cast<double>(at(9)) - 2.0 * at(10) + 2.0 * at(13);
            ASSERT_TRUE(at(13) >= 0 && 0.5 * (G - at(8) - 2.0 * at(13)) > -1e-4) << what;
        }
    }
    // The sweep reaches every verdict.
    EXPECT_GT(counts[TX14_ACCEPTABLE], 100);
    EXPECT_GT(counts[TX14_NOT_ACCEPTABLE], 100);
    EXPECT_GT(counts[TX14_NOT_ANALYSED], 100);
}

// ---- The report's warnings and the record's failing checks ------------------

// A captured line: its text, blanks cut, and whether it is styled a warning.
struct Line {
    std::string text;
    bool warning;
};

std::vector<Line> lines_of(const Context& ctx)
{
    std::vector<Line> lines;
    for (int i = 0; i < ctx.captured_lines(); ++i) {
        const std::string_view record = ctx.captured_record(i);
        std::string text(record.substr(4, 100));
        text.erase(text.find_last_not_of(' ') + 1);
        lines.push_back({text, record[117] == '1'});  // the fifth style code: warning
    }
    return lines;
}

// The applicable checks that fail, by key.
std::set<std::string> failing_checks(const Context& ctx)
{
    std::set<std::string> keys;
    tx14_check c;
    for (int i = 0; ctx.check(i, c); ++i)
        if (c.applicable && !c.passes)
            keys.insert(c.key);
    return keys;
}

// The criteria an opening's report warns about: each stress row of the
// summary over its allowable (head/shell juncture or opening), each hub
// stress at the opening over its allowable, and the M.A.W.P. below P. The
// minimum thickness line is not a criterion.
std::set<std::string> opening_warnings(const std::vector<Line>& lines, const std::set<std::string>& failing)
{
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"Long.  Hub     SH |", "SH"},    {"Radial         SR |", "SR"},    {"Tangential     ST |", "ST"},
        {"Average (SH+SR)/2 |", "SH_SR"}, {"Average (SH+ST)/2 |", "SH_ST"},
    };
    std::set<std::string> warned;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (!l.warning)
            continue;
        for (auto [row, key] : rows)
            if (l.text.starts_with(row)) {
                // The row warns when either place is over: name the one that fails.
                for (const char* place : {"_shell", "_opening"})
                    if (failing.count(std::string(key) + place))
                        warned.insert(std::string(key) + place);
                warned.insert(std::string(key) + "_row");
            }
        if (i > 0 && lines[i - 1].text == "Longitudinal Hub Stress in Central Opening [SHO]:")
            warned.insert("SH_opening");
        if (i > 0 && lines[i - 1].text == "Radial Stress at Central Opening [SRO]:")
            warned.insert("SR_opening");
        if (l.text.starts_with("M.A.W.P. for the given Geometry"))
            warned.insert("MAWP");
    }
    return warned;
}

// The criteria a half-pipe jacket's report warns about, by the message of
// each warning block; P' at ts below the design jacket pressure is the
// jacket-pressure criterion Trj says in thickness.
std::set<std::string> jacket_warnings(const std::vector<Line>& lines)
{
    std::set<std::string> warned;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].text != "*** WARNING ***")
            continue;
        const std::string& message = lines[i + 1].text;
        if (message == "The Input Thickness is < the Req'd Thickness for Internal Pressure!")
            warned.insert("Tr");
        else if (message == "The Input Thickness is < the Req'd Thickness for Jacket Pressure!" ||
                 message == "No Shell Thickness Withstands the Jacket Pressure - Revise the Design!")
            warned.insert("Trj");
        else if (message.starts_with("Input Thickness is less than the Required Thickness"))
            warned.insert("T");
        else
            ADD_FAILURE() << "a warning of no criterion: " << message;
    }
    return warned;
}

// Coils are left out: a coil's report states its results without warnings.
class WarnedItems : public ::testing::TestWithParam<KindAndCode> {};

TEST_P(WarnedItems, ReportWarningsAndFailingChecksAgree)
{
    const auto [jacket, code] = GetParam();
    Generator g;
    g.random.seed(static_cast<unsigned>(300 * jacket + code));
    Context ctx;
    int compared = 0;
    for (int n = 0; n < 5000; ++n) {
        HostItem item = jacket ? jacket_item(g, code) : opening_item(g, code);
        item.run(ctx);
        if (ctx.verdict() == TX14_NOT_ANALYSED)
            continue;
        ++compared;
        const std::vector<Line> lines = lines_of(ctx);
        std::set<std::string> failing = failing_checks(ctx);
        std::set<std::string> warned;
        if (jacket) {
            warned = jacket_warnings(lines);
            if (failing.erase("Pprime_ts"))
                failing.insert("Trj");
        } else {
            warned = opening_warnings(lines, failing);
            for (const char* row : {"SH", "SR", "ST", "SH_SR", "SH_ST"}) {  // a warned row names a failing check
                if (warned.erase(std::string(row) + "_row")) {
                    EXPECT_TRUE(failing.count(std::string(row) + "_shell") ||
                                failing.count(std::string(row) + "_opening"))
                        << "item " << n << ": row " << row;
                }
            }
        }
        ASSERT_EQ(warned, failing) << "item " << n;
    }
    EXPECT_GT(compared, 500);
}

INSTANTIATE_TEST_SUITE_P(OpeningsAndHalfPipeJackets, WarnedItems,
                         ::testing::Values(KindAndCode{false, 1}, KindAndCode{false, 2}, KindAndCode{true, 1},
                                           KindAndCode{true, 2}),
                         [](const auto& info) {
                             return std::string(info.param.jacket ? "jacket_" : "opening_") +
                                    std::to_string(info.param.code);
                         });

INSTANTIATE_TEST_SUITE_P(EveryKindAndCode, GeneratedItems,
                         ::testing::Values(KindAndCode{false, 1}, KindAndCode{false, 2}, KindAndCode{true, 1},
                                           KindAndCode{true, 2}, KindAndCode{true, 3}, KindAndCode{true, 4}),
                         [](const auto& info) {
                             return std::string(info.param.jacket ? "jacket_" : "opening_") +
                                    std::to_string(info.param.code);
                         });

}  // namespace
