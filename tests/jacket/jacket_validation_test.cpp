// Validation of jacket and coil items: the nine checks, the normalised
// nominal pipe size and the error section.
#include <gtest/gtest.h>

#include "jacket/jacket_item.hpp"
#include "jacket_test_support.hpp"

namespace tx14::testing {
namespace {

struct ValidationCase {
    const char* what;
    void (*change)(JacketInput&);
    std::vector<int> codes;
    float NPS;  // after the validation
};

const char* const kMessages[] = {
    "",
    "ERROR - Shell corroded thickness is less than or equal to zero.",
    "ERROR - Shell thickness is greater than the inside diameter.",
    "ERROR - Nominal Pipe Size is not valid.",
    "ERROR - Jacket Thickness is greater than the internal diameter.",
    "ERROR - Jacket corroded thickness is less than or equal to zero.",
    "ERROR - Shell dimensions are too small for this jacket.",
    "ERROR - Both the radius and the Nominal jacket size are 0.",
    "ERROR - Radius specification not allowed in Division 2.",
    "ERROR - Nominal Pipe Sizes of 2, 3 and 4 are only allowed in Division 2.",
};

TEST(JacketValidation, ChecksInOrder)
{
    const ValidationCase cases[] = {
        {"valid", [](JacketInput&) {}, {}, 2},
        {"NPS 2.5 under App. EE", [](JacketInput& in) { in.NPS = 2.5f; }, {}, 2.5f},
        {"NPS 2.5 under VIII-2", [](JacketInput& in) { in.NPS = 2.5f; in.code = 2; }, {9}, 2.5f},
        {"NPS 2.75", [](JacketInput& in) { in.NPS = 2.75f; }, {3}, 2.75f},
        {"NPS 2 with noise", [](JacketInput& in) { in.NPS = 2.0000002f; }, {}, 2},
        {"NPS 0", [](JacketInput& in) { in.NPS = 0; }, {4, 7}, 0},
        {"radius 1.0", [](JacketInput& in) { in.r = 1.0f; in.Tj = 0.2f; in.NPS = 0; }, {}, 2.5f},
        {"radius 1.0 under VIII-2",
         [](JacketInput& in) { in.r = 1.0f; in.Tj = 0.2f; in.NPS = 0; in.code = 2; }, {8, 9}, 2.5f},
        {"radius 0.005 under VIII-2", [](JacketInput& in) { in.r = 0.005f; in.code = 2; }, {8}, 2},
        {"ca + co equal to ts", [](JacketInput& in) { in.co = 0.25f; }, {1}, 2},
        {"shell as thick as half the diameter", [](JacketInput& in) { in.D = 0.75f; }, {2, 6}, 2},
        {"caj equal to Tj", [](JacketInput& in) { in.caj = 0.25f; }, {5}, 2},
        {"jacket wall filling the pipe", [](JacketInput& in) { in.Tj = 1.1875f; }, {4}, 2},
        {"large formed jacket", [](JacketInput& in) { in.r = 3.0f; in.NPS = 0; }, {}, 4},
        {"three faults", [](JacketInput& in) { in.co = 0.25f; in.NPS = 2.75f; in.caj = 0.25f; },
         {1, 3, 5}, 2.75f},
        {"coil of NPS 3.5 under PD 5500", [](JacketInput& in) { in.NPS = 3.5f; in.code = 3; }, {},
         3.5f},
    };
    for (const ValidationCase& c : cases) {
        auto st = capture_state();
        st->jacket = jacket_input(1);
        c.change(st->jacket);
        std::int32_t errors = 0;
        validate_jacket_input(*st, errors, ' ');
        std::vector<Line> lines = captured(*st);

        EXPECT_EQ(errors, static_cast<int>(c.codes.size())) << c.what;
        EXPECT_FLOAT_EQ(st->jacket.NPS, c.NPS) << c.what;
        if (c.codes.empty()) {
            EXPECT_TRUE(lines.empty()) << c.what;
            continue;
        }
        // Two blank lines, heading, then a blank line before every message.
        std::vector<std::string> expected = {"", "", "ERROR MESSAGES FOR HALF-PIPE NUMBER     7"};
        for (int code : c.codes) {
            expected.push_back("");
            expected.push_back(kMessages[code]);
        }
        expected.push_back("");
        expected.push_back("Total Number of Errors, " + std::to_string(c.codes.size()) +
                           ".0000, . Please Correct and Retry.");
        std::vector<std::string> actual;
        for (const Line& l : lines)
            actual.push_back(l.text);
        EXPECT_EQ(actual, expected) << c.what;
    }
}

TEST(JacketValidation, FaultyItemIsNotCalculated)
{
    JacketItem item = half_pipe_item();
    item[11] = 0.05f;  // Tj below caj and below the jacket's corrosion allowance
    item[16] = 0.125f;
    item[196] = 11;
    item[197] = 12;
    item[198] = 13;
    ItemRun r = run(item);
    EXPECT_EQ(r.reals[195], 11);
    EXPECT_EQ(r.reals[196], 12);
    EXPECT_EQ(r.reals[197], 13);
    EXPECT_EQ(r.input_errors, 1);  // the context counts what the host is not told
    EXPECT_EQ(find_line(r, "Shell Thickness Calculations:"), -1);
    EXPECT_EQ(r.lines.back().text, "TXAppendix14 Calculation Library, Copyright \xA9 2026");
}

}  // namespace
}  // namespace tx14::testing
