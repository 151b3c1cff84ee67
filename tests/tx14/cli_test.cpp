// The tx14 program end to end: unit files, batches and several items,
// through the built binary. (The examples and colour: verdict_test.py;
// help, refusals and failures: hostile_files_test.cpp.)
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <tuple>

#include <nlohmann/json.hpp>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;
using namespace tx14::test;

const std::string kBatchHeader =
    "kind,code,units,item,material,P,T,t,Bn,A,g0s,g1s,hs,ca,Sho,Shg,D,ts,NPS,Tj,Pj,caj,jacket_material,S,Sj\n";

// Item n: every fourth a coil, the others the worked opening.
std::string batch_row(int n, const char* units = "US")
{
    const std::string item = std::to_string(n);
    return n % 4 == 0 ? "jacket,PD5500,US," + item +
                            ",\"SA-516 70\",100,200,,,,,,,0.125,,,36,0.5,3,0.216,100,0.0625,\"SA-106, B\",20000,15000\n"
                      : "opening,VIII-1," + std::string(units) + "," + item +
                            ",SA-105,100,300,4,30,60,1,1.5,3,0.125,20000,20000,,,,,,,,,\n";
}

class Tx14 : public ::testing::Test {
protected:
    ScratchDir dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};

    ProgramRun tx14(const std::vector<std::string>& args) { return run_program(TX14_CLI, args, dir.path); }
    std::string item_file(const std::string& name, const std::string& text)
    {
        write_file(dir / name, text);
        return (dir / name).string();
    }
};

// A unit file tx14 prints reads back: beside an item it gives the preset's
// report and results; a label with a quote and a backslash survives.
TEST_F(Tx14, UnitFilesItPrintsReadBack)
{
    for (std::string preset : {"US", "SI"}) {
        write_file(dir / "u.toml", tx14({"units", preset}).out);
        json a = json::parse(tx14({"run", "--json", item_file("preset.toml", replaced(kOpening, "US", preset))}).out);
        json b = json::parse(tx14({"run", "--json", item_file("f.toml", replaced(kOpening, "US", "u.toml"))}).out);
        EXPECT_EQ(std::tie(a["report"], a["results"]), std::tie(b["report"], b["results"])) << preset;
    }
    ProgramRun a =
        tx14({"units", item_file("a.toml", replaced(tx14({"units", "US"}).out, "\"in.\"", "\"in\\\"\\\\\""))});
    ProgramRun b = tx14({"units", item_file("b.toml", a.out)});
    EXPECT_EQ(a.exit_code + b.exit_code, 0) << a.err << b.err;
    EXPECT_EQ(b.out.substr(b.out.find('\n')), a.out.substr(a.out.find('\n')));  // all but the file's name
}

// Rows in order with their verdicts, reasons and notes; a bad row named at
// its cell while the others run and write their reports and sheets. Sheet
// texts given once go on every sheet; a row's own cell wins, an empty one
// does not.
TEST_F(Tx14, BatchKeepsTheOrderOfTheRowsAndReportsABadRowWithoutStoppingTheOthers)
{
    std::string csv = replaced(kBatchHeader, "\n", ",revision\n");
    for (int n = 1; n <= 12; ++n)
        csv += replaced(n == 2   ? replaced(batch_row(2), ",4,30,60,", ",4,20,60,")   // a small opening: a note
                        : n == 3 ? replaced(batch_row(3), ",3,0.125,", ",0,0.125,")   // a short hub: not analysed
                        : n == 4 ? replaced(batch_row(4), ",100,200,", ",1000,200,")  // not acceptable
                        : n == 5 ? replaced(batch_row(5), ",100,300,", ",abc,300,")   // bad
                        : n == 7 ? batch_row(7, "")                                   // bad: no units
                                 : batch_row(n),
                        "\n", n == 1 ? ",D\n" : ",\n");
    write_file(dir / "items.csv", csv);
    write_file(dir / "info.toml", "[sheet]\nproject = \"Plant 7\"\nrevision = \"C\"\n");
    const std::string file = (dir / "items.csv").string();
    ProgramRun r = tx14({"batch", "--jobs", "3", "--reports", (dir / "out").string(), "--html", (dir / "out").string(),
                         "--sheet-info", (dir / "info.toml").string(), file});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, file + ":6:28: row 5: key \"P\" expects a number, found a text\n" + file +
                         ":8:1: row 7: missing key \"units\": expected \"US\", \"SI\" or a unit file\n");
    std::vector<std::string> rows = split_lines(r.out);
    ASSERT_EQ(rows.size(), 13u) << r.out;
    for (int n = 1; n <= 12; ++n) {
        const std::string& row = rows[static_cast<std::size_t>(n)];
        const std::string name = std::to_string(10000 + n).replace(0, 1, "out/row-"),
                          sheet = read_file(dir / (name + ".html"));
        const bool bad = n == 5 || n == 7, info = sheet.find("<td>Plant 7</td>") != std::string::npos;
        EXPECT_TRUE(row.starts_with(std::to_string(n) + "," + std::to_string(n) + ",")) << row;
        EXPECT_EQ(row.find(",bad row,") != std::string::npos, bad) << row;
        EXPECT_EQ(fs::exists(dir / (name + ".txt")), !bad) << name;
        EXPECT_EQ(info && sheet.find(n == 1 ? "<td>D</td>" : "<td>C</td>") != std::string::npos, !bad) << name;
    }
    EXPECT_TRUE(
        rows[2].ends_with(",,The opening Bn = 20 in. is less than half the shell outside diameter A = 60 "
                          "in.: Appendix 14 is meant for larger openings."))
        << rows[2];  // notes
    EXPECT_TRUE(rows[3].find(",not analysed,") != std::string::npos && rows[3].ends_with("the stresses with them.\","))
        << rows[3];  // reasons
    EXPECT_NE(rows[4].find(",not acceptable,cylinder_pressure,"), std::string::npos) << rows[4];
}

// Rows stream through in chunks, which end at their count or where the read
// buffer fills (rows of several kilobytes among the first 3000 here):
// whatever the number of threads, the rows come out in order and as they
// would alone, and a long file takes the memory of its text and one chunk.
TEST_F(Tx14, BatchOutputDoesNotDependOnTheNumberOfThreadsNorGrowWithTheRows)
{
    const std::string long_p = ",100." + std::string(4000, '0') + ",";  // 100 all the same
    std::string csv = kBatchHeader;
    for (int n = 1; n <= 200000; ++n)
        csv += n % 3 || n > 3000 ? batch_row(n, n % 2 ? "US" : "SI")
                                 : replaced(batch_row(n, n % 2 ? "US" : "SI"), ",100,", long_p);
    write_file(dir / "items.csv", csv);
    csv = {};
    ProgramRun one = tx14({"batch", "--jobs", "1", (dir / "items.csv").string()});
    EXPECT_EQ(one.exit_code, 0) << one.err.substr(0, 500);
    const std::vector<std::string> rows = split_lines(one.out);
    ASSERT_EQ(rows.size(), 200001u);
    auto results = [](const std::string& row) { return row.substr(row.find(',', row.find(',') + 1)); };
    for (std::size_t n = 1; n < rows.size(); ++n) {  // each row as row 1, 2 or 4 but its number
        ASSERT_TRUE(rows[n].starts_with(std::to_string(n) + "," + std::to_string(n) + ",")) << rows[n];
        ASSERT_EQ(results(rows[n]), results(rows[n % 4 == 0 ? 4 : n % 2 ? 1 : 2])) << "row " << n;
    }
    EXPECT_EQ(tx14({"batch", "--jobs", "3", (dir / "items.csv").string()}).out, one.out);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(__has_feature)
#define TX14_MEASURED_MEMORY
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer) && !__has_feature(memory_sanitizer) && !__has_feature(thread_sanitizer)
#define TX14_MEASURED_MEMORY
#endif
#endif
#ifdef TX14_MEASURED_MEMORY  // (a sanitizer's shadow memory would count too)
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 100L * 1024) << "kilobytes at the peak of either run";
#endif
}

// Several items: JSON Lines, warnings on standard error and in the JSON, the
// most serious exit code (1, 2, 3, 4, then 0).
TEST_F(Tx14, SeveralItemsRunInTurnAndExitWithTheMostSeriousCode)
{
    const std::string good = item_file("good.toml", kOpening),
                      thin = item_file("thin.toml", replaced(kOpening, "t = 4.0", "t = 1.5"));
    const std::string fatal = item_file("fatal.toml", replaced(kOpening, "g1s = 1.5", "g1s = 0.5"));
    const std::string warned = item_file("warned.toml", replaced(kOpening, "Shg = 20000.0", "Shg = 0.0"));
    ProgramRun r = tx14({"run", "--json", good, fatal, warned});
    EXPECT_EQ(r.exit_code, 3);
    std::vector<std::string> lines = split_lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::tuple(json::parse(lines[0])["warnings"], json::parse(lines[1])["fatal_errors"]),
              std::tuple(json::array(), 1));
    EXPECT_EQ(json::parse(lines[2])["warnings"], json::array({"key \"Shg\": an allowable stress not above 0"}));
    EXPECT_NE(r.err.find(warned + ":17:1: warning: key \"Shg\""), std::string::npos) << r.err;
    EXPECT_EQ(tx14({"run", fatal, item_file("missing.toml", "kind = \"opening\"\n"), good}).exit_code, 2);
    EXPECT_EQ(tx14({"run", good, thin, good}).exit_code, 4);
    EXPECT_EQ(tx14({"run", thin, fatal}).exit_code, 3);
    EXPECT_EQ(tx14({"run", good, good}).exit_code, 0);
}

}  // namespace
