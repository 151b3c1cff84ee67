// One verified report per code selector, compared byte for byte with the
// capture records (text and style codes). TX14_UPDATE_GOLDEN=1 rewrites
// the files; a rewritten file must be verified again before it is checked in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "jacket_test_support.hpp"

namespace tx14::testing {
namespace {

struct GoldenCase {
    const char* file;
    JacketItem (*item)();
};

std::string report_text(const ItemRun& run)
{
    std::string text;
    for (const std::string& rec : run.records)
        text += rec + "\n";
    return text;
}

class JacketGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(JacketGolden, ReportMatchesVerifiedFile)
{
    const GoldenCase& c = GetParam();
    std::string path = std::string(TX14_GOLDEN_DIR) + "/" + c.file;
    std::string actual = report_text(run(c.item()));
    const char* update = std::getenv("TX14_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        GTEST_SKIP() << "rewrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing golden file " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(actual, expected.str());
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, JacketGolden,
    ::testing::Values(GoldenCase{"jacket_appendix_ee.txt", appendix_ee_item},
                      GoldenCase{"jacket_div2.txt", div2_item},
                      GoldenCase{"coil_pd5500.txt", limpet_coil_item},
                      GoldenCase{"coil_en13445.txt", en13445_item}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace tx14::testing
