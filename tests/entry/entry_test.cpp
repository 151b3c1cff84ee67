// The host's entry: units, the report's destination, contexts, and hostile
// numbers through LGCENTER: every input of every item kind (each real
// element either kind reads, the frame elements and the unit factors) set
// in turn to NaN, infinities, zero, -1, huge, tiny and the missing-value
// mark, and combinations that pass the validation yet break the formulas.
// Every call returns quickly with a report that ends with the closing
// lines, the missing-value mark becomes 0 anywhere in the host's array (a
// near miss stays), and a large opening that passes its validation always
// ends its thickness search. (The references of the checks: the command
// line's verdict tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "entry/state.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using namespace tx14::test;

TEST(Units, LabelsAreLeftAdjustedAndCutToTheirSlot)
{
    HostItem item;
    item.label(9, "   psi");
    item.label(21, "millimetre");
    item.label(7, " C");
    UnitRecord u;
    take_over_units(u, item.unit_factors.data(), item.unit_labels.data());
    EXPECT_EQ(u.pressure.text(), "psi       ");
    EXPECT_EQ(u.diameter.text(), "mil");
    EXPECT_EQ(u.temperature_text(), std::string("\xB0") + "C   ");
}

// A name after a blank, or a unit that truncates to 0, selects capture:
// no file is written.
TEST(Destination, CaptureWhenTheNameStartsBlankOrTheUnitIsZero)
{
    const std::filesystem::path path = scratch_file("unit_zero.txt");
    HostItem blank_first, unit_zero;
    blank_first.file(" " + path.string());
    unit_zero.file(path.string());
    unit_zero[40] = 0.4f;
    for (HostItem* item : {&blank_first, &unit_zero}) {
        Context ctx;
        item->run(ctx);
        EXPECT_EQ(text_of(ctx.captured_record(ctx.captured_lines() - 1)), kNotice);
        EXPECT_EQ(item->print_control, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Each context has its own special-character flag (contexts run on
// threads: the Python package's pool).
TEST(Contexts, EachHasItsOwnSpecialCharacterFlag)
{
    HostItem item, again;
    Context c, plain;
    plain.set_no_special(1);
    item.run(c);
    again.run(plain);
    ASSERT_EQ(plain.captured_lines(), c.captured_lines());
    int differ = 0;
    for (int i = 0; i < c.captured_lines(); ++i)
        differ += plain.captured_record(i) != c.captured_record(i);
    EXPECT_GT(differ, 0) << "plain text in both contexts, or in neither";
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

const float kHostileValues[] = {kNaN,  kInf,  -kInf, 0.0f, -1.0f, 1e30f, -1e30f, 1e-30f, TX14_MISSING_VALUE,
                                3e38f, -3e38f};

// Combinations that pass the validation yet break the formulas.
const struct {
    const char* what;
    bool opening;  // else every jacket and coil kind
    std::vector<std::pair<int, float>> elements;
} kDegenerate[] = {
    {"K = 1", true, {{8, 60}, {13, 0}}},
    {"zero corroded nozzle hub", true, {{18, 0.125f}, {19, 0.5f}, {20, 2}}},
    {"thin nozzle hub without length", true, {{18, 0.01f}, {19, 0.01f}}},
    {"zero allowables", false, {{6, 0}, {14, 0}}},
    {"S E - 0.6 P below zero", false, {{4, 40000}}},
    {"0.85 Sj - 0.6 Pj below zero", false, {{12, 30000}}},
    {"huge pressures", false, {{4, 1e30f}, {12, 1e30f}}},
    {"negative pressures", false, {{4, -100}, {12, -100}}},
    {"huge allowances", false, {{2, 1e31f}, {3, 3e30f}, {8, 1e30f}, {19, 1e30f}}},
    {"tiny formed radius", false, {{17, 0.0101f}, {11, 1e-30f}, {16, 0}}},
    {"huge coil span and temperatures", false, {{21, 1e38f}, {5, 1e38f}, {13, -1e38f}}},
    {"code selector far out", false, {{20, 1e9f}}},
};

// The item kinds by code: 0 a large opening, 1 and 2 half-pipe jackets, 3 and 4 coils.
const char* const kKinds[] = {"LargeOpening", "JacketAppendixEE", "JacketDiv2", "CoilPD5500", "CoilEN13445"};

// The elements either kind reads, and the frame elements of every item.
const std::vector<int> kElements = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                    13, 14, 15, 16, 17, 18, 19, 20, 21, 25, 40, 200};

class HostileInput : public ::testing::TestWithParam<int> {
protected:
    bool opening() const { return GetParam() == 0; }
    // The item of the kind, the missing-value mark and a near miss in elements no kind reads.
    HostItem item() const
    {
        if (opening())
            return HostItem{}.set({{150, TX14_MISSING_VALUE}, {151, -1.01f}});
        return (GetParam() >= 3 ? limpet_coil_item() : half_pipe_item())
            .set({{20, static_cast<float>(GetParam())}, {150, TX14_MISSING_VALUE}, {151, -1.01f}});
    }

    // Runs the item and checks the end of its report and the host's array.
    void expect_complete_run(HostItem item, const std::string& what)
    {
        const auto start = std::chrono::steady_clock::now();
        item.run(ctx);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << what;
        EXPECT_TRUE(std::count(item.reals.begin(), item.reals.end(), TX14_MISSING_VALUE) == 0 && item[151] == -1.01f)
            << what;
        const int count = ctx.captured_lines();
        ASSERT_GE(count, 2) << what;
        ASSERT_LT(count, 500) << what;  // room left: nothing overwrote the closing lines
        EXPECT_EQ(text_of(ctx.captured_record(count - 2)), "") << what;
        EXPECT_EQ(ctx.captured_record(count - 1).substr(4, 116), padded(kNotice, 104) + " 1 0 0 1 0 2") << what;
        bool ended = !opening() || item.error_count != 0;  // else the search's failure or its thickness
        for (int i = 0; i < count && !ended; ++i)
            ended = text_of(ctx.captured_record(i)) == "Thickness Conversion Failure - Revise the Geometry." ||
                    text_of(ctx.captured_record(i)).starts_with("Approximate Minimum Flange Thickness");
        EXPECT_TRUE(ended) << what << ": the thickness search did not end";
    }

    Context ctx;  // one context for all calls, as a host keeps one
};

TEST_P(HostileInput, EndsWithACompleteReport)
{
    for (float v : kHostileValues) {
        const std::string value = " = " + std::to_string(v);
        for (int n : kElements)
            expect_complete_run(item().set({{n, v}}), "element " + std::to_string(n) + value);
        for (std::size_t f = 0; f < 22; ++f) {
            HostItem changed = item();
            changed.unit_factors[f] = v;
            expect_complete_run(changed, "unit factor " + std::to_string(f + 1) + value);
        }
    }
    for (const auto& d : kDegenerate)
        if (d.opening == opening())
            expect_complete_run(item().set(d.elements), d.what);
    HostItem nan_everywhere = item();
    for (int n : kElements)
        if (n != 200 && (opening() || n != 20))
            nan_everywhere[n] = kNaN;
    expect_complete_run(nan_everywhere, "NaN everywhere");
}

INSTANTIATE_TEST_SUITE_P(EveryItemKind, HostileInput, ::testing::Range(0, 5),
                         [](const auto& info) { return std::string(kKinds[info.param]); });

}  // namespace
