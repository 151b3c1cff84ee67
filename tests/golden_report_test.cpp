// Whole reports compared byte for byte (columns 1 to 120 of every capture
// record: text and style codes) with the verified copies in the golden
// directory. TX14_UPDATE_GOLDEN=1 rewrites the copies; verify a rewritten
// copy line by line before checking it in.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/test_support.hpp"

namespace {

using namespace tx14::test;

struct Golden {
    const char* file;
    HostItem (*item)();
};

const Golden kGoldens[] = {
    {"opening_worked_example", [] { return HostItem{}; }},
    {"jacket_appendix_ee", []() -> HostItem { return appendix_ee_item(); }},
    {"jacket_div2", []() -> HostItem { return div2_item(); }},
    {"coil_pd5500", []() -> HostItem { return limpet_coil_item(); }},
    {"coil_en13445", []() -> HostItem { return en13445_item(); }},
};

class GoldenReport : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenReport, MatchesTheVerifiedCopy)
{
    const std::string path = std::string(TX14_GOLDEN_DIR "/") + GetParam().file + ".txt";
    std::string actual;
    for (const std::string& record : run(GetParam().item()).records)
        actual += record + "\n";
    if (std::getenv("TX14_UPDATE_GOLDEN") != nullptr) {
        write_file(path, actual);
        GTEST_SKIP() << "rewrote " << path;
    }
    EXPECT_EQ(actual, read_file(path)) << path;
}

INSTANTIATE_TEST_SUITE_P(Verified, GoldenReport, ::testing::ValuesIn(kGoldens),
                         [](const auto& info) { return std::string(info.param.file); });

}  // namespace
