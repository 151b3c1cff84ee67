// Hostile numbers through LGCENTER: every input of every item kind (each
// real element the item reads, the frame elements and the unit factors)
// set in turn to NaN, infinities, zero, -1, huge, tiny and the missing-
// value mark, and combinations that pass the validation yet break the
// formulas. Every call returns quickly with a report that ends with the
// closing lines, and a large opening that passes its validation always
// ends its thickness search.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace {

using namespace tx14::test;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

const float kHostileValues[] = {kNaN,  kInf,  -kInf, 0.0f, -1.0f, 1e30f, -1e30f, 1e-30f, TX14_MISSING_VALUE,
                                3e38f, -3e38f};

// The elements an item kind reads, and the frame elements of every item.
const std::vector<int> kOpeningElements = {1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 18, 19, 20, 21, 25, 40, 200};
const std::vector<int> kJacketElements = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                          13, 14, 15, 16, 17, 18, 19, 20, 21, 40, 200};

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

class HostileInput : public ::testing::TestWithParam<int> {
protected:
    bool opening() const { return GetParam() == 0; }
    const std::vector<int>& elements() const { return opening() ? kOpeningElements : kJacketElements; }
    HostItem item() const
    {
        if (opening())
            return HostItem{};
        return (GetParam() >= 3 ? limpet_coil_item() : half_pipe_item()).set({{20, static_cast<float>(GetParam())}});
    }

    // Runs the item and checks the end of its report.
    void expect_complete_run(HostItem item, const std::string& what)
    {
        const auto start = std::chrono::steady_clock::now();
        item.run(ctx);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << what;
        const int count = ctx.captured_lines();
        ASSERT_GE(count, 2) << what;
        ASSERT_LT(count, 500) << what;  // room left: nothing overwrote the closing lines
        EXPECT_EQ(text_of(ctx.captured_record(count - 2)), "") << what;
        EXPECT_EQ(ctx.captured_record(count - 1).substr(4, 116), padded(kNotice, 104) + " 1 0 0 1 0 2") << what;
        if (!opening() || item.error_count != 0)
            return;
        bool ended = false;
        for (int i = 0; i < count; ++i) {
            const std::string line = text_of(ctx.captured_record(i));
            ended = ended || line == "Thickness Conversion Failure - Revise the Geometry." ||
                    line.starts_with("Approximate Minimum Flange Thickness");
        }
        EXPECT_TRUE(ended) << what << ": the thickness search did not end";
    }

    tx14::Context ctx;  // one context for all calls, as a host keeps one
};

TEST_P(HostileInput, EndsWithACompleteReport)
{
    for (float v : kHostileValues) {
        const std::string value = " = " + std::to_string(v);
        for (int n : elements())
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
    for (int n : elements())
        if (n != 200 && (opening() || n != 20))
            nan_everywhere[n] = kNaN;
    expect_complete_run(nan_everywhere, "NaN everywhere");
}

INSTANTIATE_TEST_SUITE_P(EveryItemKind, HostileInput, ::testing::Range(0, 5),
                         [](const auto& info) { return std::string(kKinds[info.param]); });

}  // namespace
