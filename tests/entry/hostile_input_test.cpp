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

// opening: else every jacket and coil kind; elements: {element, value}...
struct Degenerate {
    const char* what;
    bool opening;
    std::vector<std::pair<int, float>> elements;
};

// Combinations that pass the validation yet break the formulas (a single
// element at a hostile value is the sweep's business).
const Degenerate kDegenerate[] = {
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

struct Kind {
    const char* name;
    HostItem (*item)();
    const std::vector<int>* elements;
};

const Kind kKinds[] = {
    {"LargeOpening", [] { return HostItem{}; }, &kOpeningElements},
    {"JacketAppendixEE",
     []() -> HostItem {
         return half_pipe_item().set({{20, 1}});
     },
     &kJacketElements},
    {"JacketDiv2",
     []() -> HostItem {
         return half_pipe_item().set({{20, 2}});
     },
     &kJacketElements},
    {"CoilPD5500",
     []() -> HostItem {
         return limpet_coil_item().set({{20, 3}});
     },
     &kJacketElements},
    {"CoilEN13445",
     []() -> HostItem {
         return limpet_coil_item().set({{20, 4}});
     },
     &kJacketElements},
};

class HostileInput : public ::testing::TestWithParam<Kind> {
protected:
    bool opening() const { return GetParam().elements == &kOpeningElements; }

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
        if (opening() && item.error_count == 0) {
            EXPECT_TRUE(search_ended()) << what;
        }
    }

    bool search_ended() const
    {
        for (int i = 0; i < ctx.captured_lines(); ++i) {
            const std::string line = text_of(ctx.captured_record(i));
            if (line == "Thickness Conversion Failure - Revise the Geometry." ||
                line.starts_with("Approximate Minimum Flange Thickness"))
                return true;
        }
        return false;
    }

    tx14::Context ctx;  // one context for all calls, as a host keeps one
};

TEST_P(HostileInput, AnyValueInAnyInputEndsWithACompleteReport)
{
    for (float v : kHostileValues) {
        const std::string value = " = " + std::to_string(v);
        for (int n : *GetParam().elements) {
            HostItem item = GetParam().item();
            item[n] = v;
            expect_complete_run(item, "element " + std::to_string(n) + value);
        }
        for (std::size_t f = 0; f < 22; ++f) {
            HostItem item = GetParam().item();
            item.unit_factors[f] = v;
            expect_complete_run(item, "unit factor " + std::to_string(f + 1) + value);
        }
    }
}

TEST_P(HostileInput, DegenerateCombinationsEndWithACompleteReport)
{
    for (const Degenerate& d : kDegenerate) {
        if (d.opening != opening())
            continue;
        expect_complete_run(GetParam().item().set(d.elements), d.what);
    }
    HostItem nan_everywhere = GetParam().item();
    for (int n : *GetParam().elements)
        if (n != 200 && (opening() || n != 20))
            nan_everywhere[n] = kNaN;
    expect_complete_run(nan_everywhere, "NaN everywhere");
}

INSTANTIATE_TEST_SUITE_P(EveryItemKind, HostileInput, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
