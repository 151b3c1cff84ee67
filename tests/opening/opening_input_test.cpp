// The echo and the validation of a large-opening item, as LGCENTER prints
// them.
#include <gtest/gtest.h>

#include <limits>

#include "opening_test_support.hpp"

namespace tx14 {
namespace {

using test::OpeningItem;
using test::run_item;

constexpr int kEchoLines = 22;

TEST(OpeningEcho, TitleAndValueFormsByInput)
{
    struct Case {
        const char* what;
        OpeningItem item;
        int line;
        const char* expected;
    };
    OpeningItem viii2;
    viii2.code = 2;
    OpeningItem code0;
    code0.code = 0;
    OpeningItem code3;
    code3.code = 3.9f;
    OpeningItem too_wide;
    too_wide.Sho = 1.0e8f;
    const Case cases[] = {
        {"code 2", viii2, 1, "ASME VIII-2, 4.6.4 Integral Flat Head with a Centrally Located Opening"},
        {"code 0", code0, 1, "ASME VIII-2, 4.6.4 Integral Flat Head with a Centrally Located Opening"},
        {"code 3", code3, 1, "ASME VIII-2, 4.6.4 Integral Flat Head with a Centrally Located Opening"},
        {"value too wide", too_wide, 16,
         "Allowable Stress at Design Temperature   Sho      **********  psi"},
    };
    for (const Case& c : cases) {
        test::Run run = run_item(c.item);
        ASSERT_GT(run.lines.size(), static_cast<std::size_t>(c.line)) << c.what;
        EXPECT_EQ(run.lines[static_cast<std::size_t>(c.line)], c.expected) << c.what;
    }
}

struct ValidationCase {
    const char* what;
    OpeningItem item;
    std::int32_t errors;
    std::vector<std::string> messages;  // message lines in order, without the count line
};

std::vector<ValidationCase> validation_cases()
{
    std::vector<ValidationCase> cases;
    auto add = [&cases](const char* what, auto change, std::int32_t errors,
                        std::vector<std::string> messages) {
        OpeningItem item;
        change(item);
        cases.push_back({what, item, errors, std::move(messages)});
    };
    const std::string shell_logic = "Error - Shell Side Hub dimension logic error .";
    const std::string nozzle_dim = "ERROR - Nozzle side hub dimension error.";
    add("valid item", [](OpeningItem&) {}, 0, {});
    add("g1s below g0s", [](OpeningItem& i) { i.g1s = 0.9f; }, 1, {shell_logic});
    add("hub thicker than A and than Bn", [](OpeningItem& i) { i.g0s = 70; i.g1s = 65; }, 3,
        {shell_logic, shell_logic, "ERROR - Hub thickness Flange ID error."});
    add("Bn below half of A is a note", [](OpeningItem& i) { i.Bn = 29.9f; }, 0,
        {"Note - The diameter ratio Flgid/Flgod is < 0.5 ."});
    add("Bn at half of A", [](OpeningItem& i) { i.Bn = 30; }, 0, {});
    add("Bn above A", [](OpeningItem& i) { i.Bn = 61; }, 1,
        {"ERROR - The Flange ID must be < flange OD."});
    add("shell hub all corroded", [](OpeningItem& i) { i.g0s = 0.125f; }, 1, {shell_logic});
    add("head all corroded", [](OpeningItem& i) { i.t = 0.125f; }, 1,
        {"ERROR - Corroded Flange Thickness must be > 0."});
    add("head thickness not a number", [](OpeningItem& i) { i.t = std::numeric_limits<float>::quiet_NaN(); }, 1,
        {"ERROR - Corroded Flange Thickness must be > 0."});
    add("negative hub length", [](OpeningItem& i) { i.hs = -1; }, 1,
        {"ERROR - Shell Hub Length must be > 0.0."});
    add("zero hub length", [](OpeningItem& i) { i.hs = 0; }, 0, {});
    add("zero allowable", [](OpeningItem& i) { i.Sho = 0; }, 1,
        {"ERROR - The Operating Flange stress must be > 0 ."});
    add("nozzle g1n below g0n", [](OpeningItem& i) { i.g0n = 1; i.g1n = 0.5f; i.hn = 2; }, 1,
        {nozzle_dim});
    add("nozzle hub below the allowance",
        [](OpeningItem& i) { i.g0n = 0.1f; i.g1n = 0.2f; i.hn = 2; }, 1, {nozzle_dim});
    add("nozzle hub equal to the allowance",
        [](OpeningItem& i) { i.g0n = 0.125f; i.g1n = 0.2f; i.hn = 2; }, 0, {});
    add("nozzle hub without length", [](OpeningItem& i) { i.g0n = 1; i.g1n = 1.5f; }, 1,
        {"ERROR - Nozzle side hub length must be > 0.0."});
    add("no nozzle hub, whatever g1n and hn", [](OpeningItem& i) { i.g1n = 0.5f; i.hn = -3; },
        0, {});
    add("thin nozzle hub: product not above 0.001",
        [](OpeningItem& i) { i.g0n = 0.01f; i.g1n = 0.01f; }, 0, {});
    return cases;
}

TEST(OpeningValidation, ChecksInOrder)
{
    for (const ValidationCase& c : validation_cases()) {
        SCOPED_TRACE(c.what);
        test::Run run = run_item(c.item);
        EXPECT_EQ(run.errors, c.errors);
        std::vector<std::string> messages;
        for (const std::string& line : run.lines)
            if (line.rfind("Error - ", 0) == 0 || line.rfind("ERROR - ", 0) == 0 ||
                line.rfind("Note - ", 0) == 0)
                messages.push_back(line);
        if (!messages.empty()) {
            const int header = test::find_line(run.lines, "ERROR MESSAGES FOR FLANGE NUMBER     7");
            ASSERT_GE(header, 0);
            EXPECT_EQ(run.lines[static_cast<std::size_t>(header) + 2], messages[0]);
        }
        EXPECT_EQ(messages, c.messages);
        const bool title = test::find_line(
                               run.lines,
                               "ASME VIII-1 App. 14 Large Central Opening Flange Analysis Results:") >= 0;
        EXPECT_EQ(title, c.errors == 0);
    }
}

TEST(OpeningValidation, SectionWithTwoFatalFindings)
{
    OpeningItem item;
    item.t = 0.125f;
    item.Sho = 0;
    const std::vector<std::string> expected = {
        "",
        "",
        "ERROR MESSAGES FOR FLANGE NUMBER     7",
        "",
        "ERROR - Corroded Flange Thickness must be > 0.",
        "",
        "ERROR - The Operating Flange stress must be > 0 .",
        "",
        "Number of fatal errors: 2.0000 This Analysis will be terminated.",
        "",
        "TXAppendix14 Calculation Library, Copyright \xA9 2026",
    };
    std::array<float, 200> reals = item.reals();
    test::Run run = run_item(item);
    EXPECT_EQ(run.errors, 2);
    ASSERT_EQ(run.lines.size(), kEchoLines + expected.size());
    EXPECT_EQ(std::vector<std::string>(run.lines.begin() + kEchoLines, run.lines.end()), expected);
    // No results: elements 30 to 32 keep what the host put there.
    EXPECT_EQ(run.reals[29], reals[29]);
    EXPECT_EQ(run.reals[30], reals[30]);
    EXPECT_EQ(run.reals[31], reals[31]);
}

}  // namespace
}  // namespace tx14
