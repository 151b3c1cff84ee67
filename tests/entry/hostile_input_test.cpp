// Hostile numbers through LGCENTER: every input of every item kind (each
// real element the item reads, the frame elements and the unit factors)
// set in turn to NaN, infinities, zero, -1, huge, tiny and the missing-
// value mark. Every call returns quickly with a report that ends with the
// closing lines, and a large opening that passes its validation always
// ends its thickness search.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include "jacket/jacket_test_support.hpp"
#include "support/host_item.hpp"

namespace tx14::testing {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

const float kHostileValues[] = {kNaN,   kInf,  -kInf,  0.0f,  -1.0f, 1e30f,
                                -1e30f, 1e-30f, TX14_MISSING_VALUE, 3e38f, -3e38f};

constexpr auto kTimeBound = std::chrono::seconds(5);
constexpr std::string_view kNotice = "TXAppendix14 Calculation Library, Copyright \xA9 2026";

// The elements an item kind reads, and the frame elements of every item.
const std::vector<int> kOpeningElements = {1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 18, 19, 20, 21, 25, 40, 200};
const std::vector<int> kJacketElements = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                          13, 14, 15, 16, 17, 18, 19, 20, 21, 40, 200};

struct Kind {
    const char* name;
    test::HostItem (*item)();
    const std::vector<int>* elements;
};

test::HostItem with_code(JacketItem item, int code)
{
    item[20] = static_cast<float>(code);
    return item;
}

const Kind kKinds[] = {
    {"LargeOpening", [] { return test::HostItem{}; }, &kOpeningElements},
    {"JacketAppendixEE", [] { return with_code(half_pipe_item(), 1); }, &kJacketElements},
    {"JacketDiv2", [] { return with_code(half_pipe_item(), 2); }, &kJacketElements},
    {"CoilPD5500", [] { return with_code(limpet_coil_item(), 3); }, &kJacketElements},
    {"CoilEN13445", [] { return with_code(limpet_coil_item(), 4); }, &kJacketElements},
};

void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.name; }

bool search_ended(const Context& ctx)
{
    for (int i = 0; i < ctx.captured_lines(); ++i) {
        const std::string line = test::line_of(ctx, i);
        if (line == "Thickness Conversion Failure - Revise the Geometry." ||
            line.rfind("Approximate Minimum Flange Thickness", 0) == 0)
            return true;
    }
    return false;
}

// Runs the item and checks the end of its report.
void expect_complete_run(Context& ctx, test::HostItem item, bool opening, const std::string& what)
{
    const auto start = std::chrono::steady_clock::now();
    item.run(ctx);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeBound) << what;
    const int count = ctx.captured_lines();
    ASSERT_GE(count, 2) << what;
    ASSERT_LT(count, 500) << what;  // room left: nothing overwrote the closing lines
    EXPECT_EQ(test::line_of(ctx, count - 2), "") << what;
    EXPECT_EQ(test::line_of(ctx, count - 1), kNotice) << what;
    EXPECT_EQ(ctx.captured_record(count - 1).substr(108, 12), " 1 0 0 1 0 2") << what;
    if (opening && item.error_count == 0) {
        EXPECT_TRUE(search_ended(ctx)) << what;
    }
}

class HostileInput : public ::testing::TestWithParam<Kind> {};

TEST_P(HostileInput, AnyValueInAnyInputEndsWithACompleteReport)
{
    const Kind& kind = GetParam();
    const bool opening = kind.elements == &kOpeningElements;
    Context ctx;  // one context for all calls, as a host keeps one
    for (float v : kHostileValues) {
        const std::string value = " = " + std::to_string(v);
        for (int n : *kind.elements) {
            test::HostItem item = kind.item();
            item.at(n) = v;
            expect_complete_run(ctx, item, opening, "element " + std::to_string(n) + value);
        }
        for (std::size_t f = 0; f < 22; ++f) {
            test::HostItem item = kind.item();
            item.unit_factors[f] = v;
            expect_complete_run(ctx, item, opening, "unit factor " + std::to_string(f + 1) + value);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryItemKind, HostileInput, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tx14::testing
