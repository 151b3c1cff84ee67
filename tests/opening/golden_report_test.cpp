// The complete report of the worked example, compared byte for byte with
// the verified copy in the golden directory. TX14_UPDATE_GOLDEN=1 rewrites
// the copy (verify it line by line before checking it in).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "opening_test_support.hpp"

namespace tx14 {
namespace {

constexpr const char* kGoldenFile = TX14_GOLDEN_DIR "/opening_worked_example.txt";

// Columns 1 to 120 of every capture record, one record a line.
std::string report_text(const test::Run& run)
{
    std::string text;
    for (const std::string& record : run.records) {
        text += record.substr(0, 120);
        text += '\n';
    }
    return text;
}

TEST(GoldenReport, WorkedExampleByteForByte)
{
    const test::Run run = test::run_item(test::OpeningItem{});
    for (const std::string& record : run.records) {
        ASSERT_EQ(record.size(), 125u);
        EXPECT_EQ(record[120], '\0');
        EXPECT_EQ(record.substr(121), "    ");
    }
    const std::string actual = report_text(run);
    if (std::getenv("TX14_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(kGoldenFile, std::ios::binary) << actual;
        GTEST_SKIP() << "golden report rewritten";
    }
    std::ifstream file(kGoldenFile, std::ios::binary);
    ASSERT_TRUE(file) << kGoldenFile;
    std::stringstream expected;
    expected << file.rdbuf();

    EXPECT_EQ(actual, expected.str());
}

}  // namespace
}  // namespace tx14
