// The verified reports from item files: each golden item written as TOML,
// run through tx14 from the file, gives the verified report line for line
// with its style codes. This guards the key table and the filling of the
// input record from an item's keys, which the goldens' host arrays bypass.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "run_program.hpp"
#include "txappendix14_text.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;

// A golden capture record (columns 1-120) as the JSON gives a report line:
// the text of columns 5-104 in UTF-8 with the report's theta, trailing
// blanks cut, and the six style codes of columns 109-120.
nlohmann::json line_of(const std::string& record)
{
    nlohmann::json styles = nlohmann::json::array();
    for (std::size_t k = 0; k < 6; ++k)
        styles.push_back(std::stoi(record.substr(108 + 2 * k, 2)));
    return {{"text", tx14::text::to_utf8(text_of(record), tx14::text::F8::theta)}, {"styles", styles}};
}

TEST(GoldenItems, EachItemFileGivesTheVerifiedReport)
{
    int items = 0;
    for (const auto& entry : fs::directory_iterator(TX14_GOLDEN_DIR)) {
        if (entry.path().extension() != ".toml")
            continue;
        ++items;
        ScratchDir dir("golden-" + entry.path().stem().string());
        const ProgramRun run = run_program(TX14_CLI, {"run", "--json", entry.path().string()}, dir.path);
        ASSERT_TRUE(run.exit_code == 0 || run.exit_code == 4) << entry.path() << "\n" << run.err;  // analysed
        const nlohmann::json report = nlohmann::json::parse(run.out).at("report");
        const std::vector<std::string> records =
            split_lines(read_file(fs::path(entry.path()).replace_extension(".txt")));
        ASSERT_EQ(report.size(), records.size()) << entry.path();
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(report[i], line_of(records[i])) << entry.path().filename() << " line " << i + 1;
    }
    EXPECT_EQ(items, 5);
}

}  // namespace
