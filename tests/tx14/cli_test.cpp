// The tx14 program end to end: examples, outputs, exit codes, input-file
// errors and batch runs, through the built binary.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include <nlohmann/json.hpp>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;
using namespace tx14::test;

const fs::path kExamples = TX14_EXAMPLES_DIR;
const std::string kNoticeUtf8 = "TXAppendix14 Calculation Library, Copyright \xC2\xA9 2026";

class Tx14 : public ::testing::Test {
protected:
    ScratchDir dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};

    ProgramRun tx14(const std::vector<std::string>& args) { return run_program(TX14_CLI, args, dir.path); }
    json tx14_json(const std::string& item) { return json::parse(tx14({"run", "--json", item}).out); }

    std::string item_file(const std::string& name, const std::string& text)
    {
        write_file(dir / name, text);
        return (dir / name).string();
    }
};

// Every example: its report in UTF-8, the verdict after the closing
// notice, and its results in the item's units. (Result names and verdicts:
// the verdict test; the values themselves: the goldens.)
TEST_F(Tx14, EveryExampleGivesItsReportInUtf8AndItsResultsInItsUnits)
{
    const struct {
        const char* file;
        std::vector<std::pair<const char*, const char*>> units;
    } examples[] = {
        {"opening-viii1.toml", {{"mawp", "psi"}, {"minimum_thickness", "in."}}},
        {"opening-viii2.toml", {}},
        {"opening-si.toml", {{"minimum_thickness", "mm"}, {"mawp", "MPa"}}},
        {"opening-bar.toml", {{"largest_stress", "N/mm\xC2\xB2"}, {"mawp", "bar"}}},
        {"jacket-appendix-ee.toml", {}},
        {"jacket-viii2.toml", {}},
        {"coil-pd5500.toml", {{"permissible_jacket_pressure", "psi"}, {"fillet_weld", "in."}}},
        {"coil-en13445.toml", {}},
    };
    for (const auto& e : examples) {
        const std::string file = (kExamples / e.file).string();
        ProgramRun r = tx14({"run", file});
        const bool thin_jacket = std::string_view(e.file) == "jacket-appendix-ee.toml";  // schedule 40 would do
        EXPECT_EQ(r.exit_code, thin_jacket ? 4 : 0) << e.file << "\n" << r.err;
        EXPECT_EQ(r.err, "") << e.file;
        EXPECT_NE(r.out.find("\n" + kNoticeUtf8 + "\n\nVERDICT: "), std::string::npos) << e.file;
        EXPECT_NO_THROW((void)json(r.out).dump()) << e.file << ": not valid UTF-8";
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << "no attributes when stdout is a file";
        json j = tx14_json(file);
        EXPECT_EQ(j["fatal_errors"], 0) << e.file;
        for (auto [name, unit] : e.units)
            EXPECT_EQ(j["result_units"][name], unit) << e.file << " " << name;
    }
}

// (--plain gives ASCII: the verdict test.)
TEST_F(Tx14, ColorAlwaysMarksStyledLinesOnly)
{
    const std::string item = (kExamples / "opening-viii1.toml").string();
    std::vector<std::string> lines = split_lines(tx14({"run", "--color=always", item}).out);
    ASSERT_FALSE(lines.empty());
    // The notice: title (bold), note (dim italic), result caption colour;
    // then a blank line and the verdict.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "\x1b[1;2;3;32m" + kNoticeUtf8 + "\x1b[0m");
    for (const std::string& l : lines)
        if (l.find('\x1b') != std::string::npos) {  // attributes only around text
            EXPECT_EQ(l.rfind("\x1b[", 0), 0u) << l;
            EXPECT_NE(l.find("m", 2) + 1, l.find("\x1b[0m")) << "an empty line is not styled";
        }
    EXPECT_EQ(tx14({"run", "--color=never", item}).out.find('\x1b'), std::string::npos);
}

TEST_F(Tx14, InputFileErrorsNameLineColumnAndWhatWasExpected)
{
    // where: "line:column", or empty; message: part of the message
    const struct {
        std::string toml, where, message;
    } cases[] = {
        {kOpening + "Pj = 3.0\n", "18:1",
         "unknown key \"Pj\" for an opening item (did you mean \"P\"?); valid keys: kind, code"},
        {kOpening + "hn = \"long\"\n", "18:1", "key \"hn\" expects a number, found a text"},
        {kOpening + "g0n = [1, 2]\n", "18:1", "key \"g0n\" expects a number, found an array"},
        {kOpening + "g1n = inf\n", "18:1", "key \"g1n\": the value is not finite"},
        {kOpening + "density = 1e300\n", "18:1", "out of the single-precision range"},
        {replaced(kOpening, "Bn = 30.0\n", ""), "",
         "missing key \"Bn\" (opening inside diameter, unit in.): required for code VIII-1"},
        {replaced(kOpening, "\"SA-105\"", "\"SA-105 Grade 70N\""), "6:1",
         "key \"material\": text longer than 15 characters (16)"},
        {replaced(kOpening, "\"Head\"", "\"Head \xCE\xB8\""), "5:1", "has no Windows-1252 code"},
        {replaced(kOpening, "item = 7", "item = 7.5"), "4:1", "key \"item\" expects a whole number, found a number"},
        {"kind = \"flange\"\n", "1:1", "\"flange\" is not a kind of item; expected \"opening\" or \"jacket\""},
        {"kind = \"opening\"\ncode = \"PD5500\"\nunits = \"US\"\n", "2:1",
         "\"PD5500\" is not a code of an opening item; expected \"VIII-1\" or \"VIII-2\""},
        {kOpening + "[nozzle]\ng0n = 1.0\n", "18:2", "unknown key \"nozzle\""},
        {kOpening + "P = \n", "18:5", ""},
        {"kind = \"opening\"\ncode = \"VIII-1\"\nunits = \"nowhere.toml\"\n", "3:1",
         "units \"nowhere.toml\": expected \"US\", \"SI\" or a readable unit file"},
        {"code = \"VIII-1\"\n", "", "missing key \"kind\""},
        {"kind = \"jacket\"\nunits = \"US\"\n", "",
         "missing key \"code\": expected \"VIII-1\", \"VIII-2\", \"PD5500\" or \"EN13445\""},
        {"kind = \"jacket\"\ncode = \"PD5500\"\n", "", "missing key \"units\""},
    };
    for (const auto& c : cases) {
        const std::string file = item_file("bad.toml", c.toml);
        ProgramRun r = tx14({"run", file});
        EXPECT_EQ(r.exit_code, 2) << c.message;
        EXPECT_EQ(r.out, "") << c.message << ": nothing is analysed";
        const std::string at = file + (c.where.empty() ? "" : ":" + c.where) + ": ";
        EXPECT_NE(r.err.find(at + (c.where.empty() ? c.message : "")), std::string::npos) << at << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.message << "\n" << r.err;
    }
    ProgramRun none = tx14({"run", (dir / "none.toml").string()});
    EXPECT_EQ(none.exit_code, 2);
    EXPECT_NE(none.err.find("none.toml: no such file"), std::string::npos);
}

TEST_F(Tx14, UnitFileBesideTheItemGivesTheSameReportAsThePreset)
{
    fs::create_directories(dir / "sub");
    for (std::string preset : {"US", "SI"}) {
        ProgramRun units = tx14({"units", preset});
        ASSERT_EQ(units.exit_code, 0);
        write_file(dir / "sub" / "mine.toml", units.out);
        json a = tx14_json(item_file("preset.toml", replaced(kOpening, "\"US\"", "\"" + preset + "\"")));
        json b = tx14_json(item_file("sub/file.toml", replaced(kOpening, "\"US\"", "\"mine.toml\"")));
        EXPECT_EQ(a["report"], b["report"]) << preset;
        EXPECT_EQ(a["results"], b["results"]) << preset;
    }
}

TEST_F(Tx14, WrongUnitFilesAreReportedWhereTheyAreWrong)
{
    const std::string labels =
        "labels = [\"in.\",\"lb.\",\"\",\"\",\"ft-lb.\",\"psi\",\"F\",\"F\",\"psi\",\"\",\"\","
        "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"in.\",\"in.\",\"\"]\n";
    const std::string factors = "factors = [1,1,1,1,1,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,1,1]\n";
    const struct {
        std::string text;
        std::string at_message;
    } cases[] = {
        {"factors = [1,1]\n" + labels, "1:11: \"factors\" must be an array of 22 numbers"},
        {factors + replaced(labels, ",\"\"]", "]"), "2:10: \"labels\" must be an array of 23 texts"},
        {replaced(factors, "0,1", "0,0") + labels, "1:28: factor 9 (pressures) must not be 0"},
        {replaced(factors, "0,1", "0,1e39") + labels, "1:28: factor 9 is not a finite"},
        {replaced(factors, "[1", "[\"1\"") + labels, "1:12: factor 1 must be a number, found a text"},
        {factors + replaced(labels, "\"in.\",\"lb.\"", "\"a much too long\",\"lb.\""),
         "2:11: label 1 is longer than 10 characters"},
        {factors + labels + "name = \"x\"\n", "3:1: unknown key \"name\""},
    };
    const std::string item = item_file("item.toml", replaced(kOpening, "\"US\"", "\"units.toml\""));
    for (const auto& c : cases) {
        write_file(dir / "units.toml", c.text);
        ProgramRun r = tx14({"run", item});
        EXPECT_EQ(r.exit_code, 2) << c.at_message;
        EXPECT_NE(r.err.find((dir / "units.toml").string() + ":" + c.at_message), std::string::npos) << r.err;
        EXPECT_EQ(tx14({"units", (dir / "units.toml").string()}).exit_code, 2) << c.at_message;
    }
}

const std::string kBatchHeader =
    "kind,code,units,item,material,P,T,t,Bn,A,g0s,g1s,hs,ca,Sho,Shg,D,ts,NPS,Tj,Pj,caj,jacket_material,S,Sj\n";

std::string batch_row(int n, const char* units = "US")
{
    const std::string item = std::to_string(n);
    return n % 4 == 0 ? "jacket,PD5500,US," + item +
                            ",\"SA-516 70\",100,200,,,,,,,0.125,,,36,0.5,3,0.216,100,0.0625,\"SA-106, B\",20000,15000\n"
                      : "opening,VIII-1," + std::string(units) + "," + item +
                            ",SA-105,100,300,4,30,60,1,1.5,3,0.125,20000,20000,,,,,,,,,\n";
}

TEST_F(Tx14, BatchKeepsTheOrderOfTheRowsAndReportsABadRowWithoutStoppingTheOthers)
{
    std::string csv = kBatchHeader;
    for (int n = 1; n <= 12; ++n)
        csv += n == 5   ? replaced(batch_row(5), ",100,300,", ",abc,300,")
               : n == 7 ? batch_row(7, "")  // an empty units cell names no unit file
                        : batch_row(100 + n);
    write_file(dir / "items.csv", csv);
    const fs::path reports = dir / "reports";
    ProgramRun r = tx14({"batch", "--jobs", "3", "--reports", reports.string(), (dir / "items.csv").string()});
    EXPECT_EQ(r.exit_code, 2);
    const std::string file = (dir / "items.csv").string();
    EXPECT_EQ(r.err, file + ":6:28: row 5: key \"P\" expects a number, found a text\n" + file +
                         ":8:1: row 7: missing key \"units\": expected \"US\", \"SI\" or a unit file\n");
    std::vector<std::string> rows = split_lines(r.out);
    ASSERT_EQ(rows.size(), 13u) << r.out;
    EXPECT_EQ(rows[0],
              "row,item,kind,code,units,status,fatal_errors,verdict,governing_check,utilization,"
              "description,minimum_thickness,minimum_thickness_unit,mawp,mawp_unit,largest_stress,"
              "largest_stress_unit,fillet_weld,fillet_weld_unit,permissible_jacket_pressure,"
              "permissible_jacket_pressure_unit,governing_shell_thickness,governing_shell_thickness_unit,"
              "reasons,notes");
    for (int n = 1; n <= 12; ++n) {
        const std::string& row = rows[static_cast<std::size_t>(n)];
        const bool bad = n == 5 || n == 7;
        EXPECT_TRUE(row.starts_with(std::to_string(n) + "," + std::to_string(bad ? n : 100 + n) + ",")) << row;
        EXPECT_EQ(row.find(",bad row,") != std::string::npos, bad) << row;
        char name[16];
        std::snprintf(name, sizeof name, "row-%04d.txt", n);
        EXPECT_EQ(read_file(reports / name).find(kNotice) != std::string::npos, !bad) << name;
    }
}

// A pipe size outside the pipe table, given as DN, is refused at its cell.
TEST_F(Tx14, BatchPipeSizeGivenAsDnNamesItsCell)
{
    write_file(dir / "items.csv",
               replaced(kBatchHeader, ",NPS,", ",DN,") + replaced(batch_row(4), ",0.5,3,", ",0.5,40,"));
    ProgramRun r = tx14({"batch", (dir / "items.csv").string()});
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_EQ(r.err, (dir / "items.csv").string() +
                         ":2:61: row 1: key \"DN\": 40 is not a valid pipe size "
                         "designation for code PD5500; expected one of 50, 65, 80, 90, 100\n");
}

// The last two columns: why a row is not analysed, and its notes.
TEST_F(Tx14, BatchRowsCarryTheirReasonsAndNotes)
{
    write_file(dir / "items.csv", kBatchHeader + replaced(batch_row(1), ",4,30,60,", ",4,20,60,") +
                                      replaced(batch_row(4), ",100,200,", ",1000,200,") +
                                      replaced(batch_row(2), ",3,0.125,", ",0,0.125,"));
    ProgramRun r = tx14({"batch", (dir / "items.csv").string()});
    EXPECT_EQ(r.exit_code, 3) << r.err;  // not analysed over not acceptable
    const std::vector<std::string> rows = split_lines(r.out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(
        rows[1].ends_with(",,The opening Bn = 20 in. is less than half the shell outside diameter A = 60 "
                          "in.: Appendix 14 is meant for larger openings."))
        << rows[1];
    EXPECT_NE(rows[2].find(",not acceptable,cylinder_pressure,"), std::string::npos) << rows[2];
    EXPECT_NE(rows[3].find(",not analysed,"), std::string::npos) << rows[3];
    EXPECT_TRUE(
        rows[3].ends_with(",\"The shell hub is tapered (g1/g0 = 1.5714) and short (h/h0 = 0.015, below 0.1): "
                          "there the flange factors F, V and f lose their accuracy, and the stresses with "
                          "them.\","))
        << rows[3];
}

// Chunks end at their count or where the read buffer fills (rows of
// several kilobytes here): the rows read while others run must not disturb
// them, whatever the number of threads.
TEST_F(Tx14, BatchOutputDoesNotDependOnTheNumberOfThreads)
{
    const std::string long_p = ",100." + std::string(4000, '0') + ",";  // 100 all the same
    std::string csv = kBatchHeader;
    for (int n = 1; n <= 3000; ++n)
        csv += n % 3 ? batch_row(n, n % 2 ? "US" : "SI") : replaced(batch_row(n, n % 2 ? "US" : "SI"), ",100,", long_p);
    write_file(dir / "items.csv", csv);
    ProgramRun one = tx14({"batch", "--jobs", "1", (dir / "items.csv").string()});
    EXPECT_EQ(one.exit_code, 0) << one.err.substr(0, 500);
    const std::vector<std::string> rows = split_lines(one.out);
    ASSERT_EQ(rows.size(), 3001u);
    for (std::size_t n = 1; n < rows.size(); ++n) {  // each row as row 1, 2, 3 or 4 but its number
        const std::size_t like = n % 4 == 0 ? 4 : n % 2 ? 1 : 2;
        auto results = [](const std::string& row) { return row.substr(row.find(',', row.find(',') + 1)); };
        ASSERT_TRUE(rows[n].starts_with(std::to_string(n) + "," + std::to_string(n) + ",")) << rows[n];
        ASSERT_EQ(results(rows[n]), results(rows[like])) << "row " << n;
    }
    EXPECT_EQ(tx14({"batch", "--jobs", "2", (dir / "items.csv").string()}).out, one.out);
    EXPECT_EQ(tx14({"batch", "--jobs", "4", (dir / "items.csv").string()}).out, one.out);
}

// Rows stream through in chunks: a long file takes the memory of its text
// and one chunk, whatever its length, and its rows come out in order.
TEST_F(Tx14, BatchOf200000RowsStaysUnder100MB)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory counts too";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
    GTEST_SKIP() << "the sanitizers' shadow memory counts too";
#endif
#endif
    constexpr int kRows = 200000;
    std::string csv = kBatchHeader;
    for (int n = 1; n <= kRows; ++n)
        csv += batch_row(n);
    write_file(dir / "items.csv", csv);
    csv = {};
    ProgramRun r = tx14({"batch", (dir / "items.csv").string()});
    EXPECT_EQ(r.exit_code, 0) << r.err.substr(0, 500);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), kRows + 1);
    const std::size_t last = r.out.rfind('\n', r.out.size() - 2) + 1;
    EXPECT_EQ(r.out.substr(last, 14), "200000,200000,");
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 100L * 1024) << "kilobytes at the peak";  // the largest child so far
}

TEST_F(Tx14, BatchFileErrorsStopEverything)
{
    const std::pair<std::string, std::string> cases[] = {
        // file, message
        {replaced(kBatchHeader, "\n", ",Pressure\n") + batch_row(1),
         ":1:" + std::to_string(kBatchHeader.size() + 1) + ": unknown column \"Pressure\""},
        {"kind,code,kind\n", ":1:11: column \"kind\" appears twice"},
        {kBatchHeader + "opening,\"VIII-1,US\n", ":2:9: quoted field is not closed"},
        {kBatchHeader + "opening,\"" + std::string(3 << 20, 'x') + "\"x\n",  // longer than the read buffer
         ":2:" + std::to_string((3 << 20) + 11) + ": unexpected text after a quoted field"},
        {"", ": has no header row"},
    };
    for (const auto& [csv, message] : cases) {
        write_file(dir / "items.csv", csv);
        ProgramRun r = tx14({"batch", (dir / "items.csv").string()});
        EXPECT_EQ(r.exit_code, 2) << message;
        EXPECT_EQ(r.out, "") << message;
        EXPECT_NE(r.err.find((dir / "items.csv").string() + message), std::string::npos) << r.err;
    }
}

// Sheet texts given once go on every row's sheet; a row's own cell wins,
// an empty one does not.
TEST_F(Tx14, BatchSheetInfoFillsEverySheetAndARowsOwnCellWins)
{
    write_file(dir / "info.toml", "[sheet]\nproject = \"Plant 7\"\nrevision = \"C\"\nchecked_by = \"B. Checker\"\n");
    write_file(dir / "items.csv", replaced(kBatchHeader, "\n", ",revision,checked_by\n") +
                                      replaced(batch_row(1), "\n", ",D,\n") + replaced(batch_row(2), "\n", ",,\n"));
    const fs::path out = dir / "out";
    ProgramRun r = tx14(
        {"batch", (dir / "items.csv").string(), "--html", out.string(), "--sheet-info", (dir / "info.toml").string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const struct {
        const char* file;
        const char* revision;
    } rows[] = {{"row-0001.html", "D"}, {"row-0002.html", "C"}};
    for (const auto& row : rows) {
        const std::string sheet = read_file(out / row.file);
        EXPECT_NE(sheet.find("<th>Project</th><td>Plant 7</td>"), std::string::npos) << row.file;
        EXPECT_NE(sheet.find(std::string("<th>Revision</th><td>") + row.revision + "</td>"), std::string::npos)
            << row.file;
        EXPECT_NE(sheet.find("<th>Checked by</th><td class=\"name\">B. Checker</td>"), std::string::npos) << row.file;
        EXPECT_NE(sheet.find("<th>Approved by</th><td class=\"name\"></td>"), std::string::npos) << row.file;
    }
}

TEST_F(Tx14, SheetInfoErrorsNameTheFileLineAndKeyAndNothingRuns)
{
    const std::pair<std::string, std::string> cases[] = {
        // file, message
        {"[sheet]\nprojekt = \"P\"\n",
         ":2:1: unknown key \"projekt\" in [sheet]; valid keys: project, vessel, drawing, revision, purpose, "
         "prepared_by, checked_by, approved_by"},
        {"[sheet]\nrevision = 3\n", ":2:1: \"revision\" expects a text, found a whole number"},
        {"[sheet]\nproject = \"a\\tb\"\n", ":2:1: \"project\": the text holds a control character"},
        {"[sheet]\nvessel = \"" + std::string(201, 'x') + "\"\n",
         ":2:1: \"vessel\": text longer than 200 characters (201)"},
        {"project = \"P\"\n", ":1:1: unknown key \"project\"; a sheet-info file holds one [sheet] table of project"},
        {"sheet = \"P\"\n", ":1:1: \"sheet\" expects a table ([sheet]), found a text"},
        {"[sheet\n", ":1:"},
        {"", ": no [sheet] table"},
    };
    write_file(dir / "items.csv", kBatchHeader + batch_row(1));
    for (const auto& [text, message] : cases) {
        write_file(dir / "info.toml", text);
        ProgramRun r = tx14({"batch", (dir / "items.csv").string(), "--html", (dir / "out").string(), "--sheet-info",
                             (dir / "info.toml").string()});
        EXPECT_EQ(r.exit_code, 2) << message;
        EXPECT_EQ(r.out, "") << message;
        EXPECT_TRUE(r.err.starts_with((dir / "info.toml").string() + message)) << r.err;
        EXPECT_FALSE(fs::exists(dir / "out")) << message;
    }
    ProgramRun alone = tx14({"batch", (dir / "items.csv").string(), "--sheet-info", (dir / "info.toml").string()});
    EXPECT_EQ(alone.exit_code, 2) << "the texts go only to sheets";
    EXPECT_NE(alone.err.find("--html"), std::string::npos) << alone.err;
}

TEST_F(Tx14, EveryCommandHasHelpAndUsageErrorsExitWithTwo)
{
    for (std::string command : {"", "run", "batch", "units"}) {
        ProgramRun r =
            tx14(command.empty() ? std::vector<std::string>{"--help"} : std::vector<std::string>{command, "--help"});
        EXPECT_EQ(r.exit_code, 0) << command;
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << command;
    }
    ProgramRun version = tx14({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_TRUE(version.out.starts_with("tx14 "));
    for (std::vector<std::string> args : {std::vector<std::string>{},
                                          {"frobnicate"},
                                          {"run"},
                                          {"run", "--color=blue", "x.toml"},
                                          {"batch", "--jobs", "0", "x.csv"}})
        EXPECT_EQ(tx14(args).exit_code, 2) << args.size();
}

// Several items: reports one after the other, JSON Lines, warnings on
// standard error and in the JSON, the most serious exit code. (Exit codes
// and verdicts per kind: the verdict test.) An item with fatal input errors
// still prints its report, its results left empty.
TEST_F(Tx14, SeveralItemsRunInTurnAndExitWithTheMostSeriousCode)
{
    const std::string good = item_file("good.toml", kOpening);
    const std::string fatal = item_file("fatal.toml", replaced(kOpening, "g1s = 1.5", "g1s = 0.5"));
    const std::string warned = item_file("warned.toml", replaced(kOpening, "Shg = 20000.0", "Shg = 0.0"));
    const std::string missing = item_file("missing.toml", replaced(kOpening, "t = 4.0\n", ""));
    ProgramRun r = tx14({"run", "--json", good, fatal, warned});
    EXPECT_EQ(r.exit_code, 3);
    std::vector<std::string> lines = split_lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(json::parse(lines[0])["warnings"], json::array());
    const json faulty = json::parse(lines[1]);
    EXPECT_EQ(std::tie(faulty["fatal_errors"], faulty["report"].back()["text"]),
              std::tuple(json(1), json(kNoticeUtf8)));
    for (auto& [name, value] : faulty["results"].items())
        EXPECT_TRUE(value.is_null()) << name;
    EXPECT_EQ(json::parse(lines[2])["warnings"], json::array({"key \"Shg\": an allowable stress not above 0"}));
    EXPECT_NE(r.err.find(warned + ":17:1: warning: key \"Shg\""), std::string::npos) << r.err;
    EXPECT_TRUE(tx14({"run", fatal})
                    .out.ends_with(kNoticeUtf8 + "\n\nVERDICT: NOT ANALYSED \u2014 1 fatal input error\n" +
                                   std::string(43, ' ') + " " +
                                   "\u2014 Error - Shell Side Hub dimension logic error .\n"))
        << tx14({"run", fatal}).out;
    EXPECT_EQ(tx14({"run", fatal, missing, good}).exit_code, 2);
    EXPECT_EQ(tx14({"run", good, good}).exit_code, 0);
    ProgramRun html = tx14({"run", "--html", (dir / "page.html").string(), good, good});
    EXPECT_EQ(html.exit_code, 2);
    EXPECT_FALSE(fs::exists(dir / "page.html"));
}

}  // namespace
