// The tx14 program end to end: examples, outputs, exit codes, input-file
// errors and batch runs, through the built binary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include <nlohmann/json.hpp>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using tx14::test::ProgramRun;
using tx14::test::ScratchDir;
using tx14::test::slurp;
using tx14::test::write_text;

const fs::path kExamples = TX14_EXAMPLES_DIR;
constexpr std::string_view kNoticeUtf8 = "TXAppendix14 Calculation Library, Copyright \xC2\xA9 2026";
constexpr std::string_view kNoticeNative = "TXAppendix14 Calculation Library, Copyright \xA9 2026";

class Tx14 : public ::testing::Test {
protected:
    ScratchDir dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};

    ProgramRun tx14(const std::vector<std::string>& args) { return tx14::test::run_program(TX14_CLI, args, dir.path()); }

    std::string item_file(const std::string& name, const std::string& toml)
    {
        write_text(dir / name, toml);
        return (dir / name).string();
    }
};

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

bool valid_utf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

std::size_t count(std::string_view text, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string_view::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

const std::string kOpening = R"(kind = "opening"
code = "VIII-1"
units = "US"
item = 7
description = "Head"
material = "SA-105"
P = 100.0
T = 300.0
t = 4.0
Bn = 30.0
A = 60.0
g0s = 1.0
g1s = 1.5
hs = 3.0
ca = 0.125
Sho = 20000.0
Shg = 20000.0
)";

struct Example {
    const char* file;
    const char* kind;
    const char* code;
};

constexpr Example kExampleItems[] = {
    {"opening-viii1.toml", "opening", "VIII-1"},   {"opening-viii2.toml", "opening", "VIII-2"},
    {"opening-si.toml", "opening", "VIII-1"},      {"opening-bar.toml", "opening", "VIII-1"},
    {"jacket-appendix-ee.toml", "jacket", "VIII-1"}, {"jacket-viii2.toml", "jacket", "VIII-2"},
    {"coil-pd5500.toml", "jacket", "PD5500"},      {"coil-en13445.toml", "jacket", "EN13445"},
};

TEST_F(Tx14, EveryExampleIsAnalysedAndEndsWithTheNoticeInUtf8)
{
    for (const Example& e : kExampleItems) {
        ProgramRun r = tx14({"run", (kExamples / e.file).string()});
        EXPECT_EQ(r.exit_code, 0) << e.file << "\n" << r.err;
        EXPECT_EQ(r.err, "") << e.file;
        ASSERT_FALSE(lines_of(r.out).empty()) << e.file;
        EXPECT_EQ(lines_of(r.out).back(), kNoticeUtf8) << e.file;
        EXPECT_TRUE(valid_utf8(r.out)) << e.file;
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << "no attributes when stdout is a file";
    }
}

TEST_F(Tx14, JsonGivesKindCodeResultsOfTheKindAndStyledLines)
{
    for (const Example& e : kExampleItems) {
        ProgramRun r = tx14({"run", "--json", (kExamples / e.file).string()});
        ASSERT_EQ(r.exit_code, 0) << e.file << r.err;
        nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
        EXPECT_EQ(j["kind"], e.kind);
        EXPECT_EQ(j["code"], e.code);
        EXPECT_EQ(j["fatal_errors"], 0);
        std::vector<std::string> names;
        for (auto& [name, value] : j["results"].items()) {
            names.push_back(name);
            EXPECT_TRUE(value.is_number() || value.is_null()) << name;
            EXPECT_TRUE(j["result_units"][name].is_string()) << name;
        }
        std::vector<std::string> expected =
            std::string(e.kind) == "opening"
                ? std::vector<std::string>{"minimum_thickness", "mawp", "largest_stress"}
                : std::vector<std::string>{"fillet_weld", "permissible_jacket_pressure", "governing_shell_thickness"};
        EXPECT_EQ(names, expected) << e.file;
        const nlohmann::ordered_json& last = j["report"].back();
        EXPECT_EQ(last["text"], kNoticeUtf8);
        EXPECT_EQ(last["styles"], nlohmann::ordered_json({1, 0, 0, 1, 0, 2}));
    }
}

TEST_F(Tx14, JsonResultUnitsFollowTheItemsUnitSystem)
{
    struct Case {
        const char* file;
        nlohmann::ordered_json units;
    } cases[] = {
        {"opening-viii1.toml", {{"minimum_thickness", "in."}, {"mawp", "psi"}, {"largest_stress", "psi"}}},
        {"opening-si.toml", {{"minimum_thickness", "mm"}, {"mawp", "MPa"}, {"largest_stress", "MPa"}}},
        {"opening-bar.toml", {{"minimum_thickness", "mm"}, {"mawp", "bar"}, {"largest_stress", "N/mm\xC2\xB2"}}},
        {"coil-pd5500.toml",
         {{"fillet_weld", "in."}, {"permissible_jacket_pressure", "psi"}, {"governing_shell_thickness", "in."}}},
    };
    for (const Case& c : cases) {
        ProgramRun r = tx14({"run", "--json", (kExamples / c.file).string()});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(nlohmann::ordered_json::parse(r.out)["result_units"], c.units) << c.file;
    }
}

TEST_F(Tx14, ColorAlwaysMarksStyledLinesOnlyAndPlainGivesAscii)
{
    std::string item = (kExamples / "opening-viii1.toml").string();
    ProgramRun colored = tx14({"run", "--color=always", item});
    ASSERT_EQ(colored.exit_code, 0);
    std::vector<std::string> lines = lines_of(colored.out);
    ASSERT_FALSE(lines.empty());
    // The notice: title (bold), note (dim italic), result caption colour.
    EXPECT_EQ(lines.back(), "\x1b[1;2;3;32m" + std::string(kNoticeUtf8) + "\x1b[0m");
    for (const std::string& l : lines) {
        if (l.find('\x1b') != std::string::npos) {  // attributes only around text
            EXPECT_EQ(l.rfind("\x1b[", 0), 0u) << l;
            EXPECT_NE(l.find("m", 2) + 1, l.find("\x1b[0m")) << "an empty line is not styled";
        }
    }

    ProgramRun never = tx14({"run", "--color=never", item});
    EXPECT_EQ(never.out.find('\x1b'), std::string::npos);

    ProgramRun plain = tx14({"run", "--plain", item});
    ASSERT_EQ(plain.exit_code, 0);
    EXPECT_TRUE(std::all_of(plain.out.begin(), plain.out.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    EXPECT_EQ(lines_of(plain.out).back(), "TXAppendix14 Calculation Library, Copyright c 2026");
}

TEST_F(Tx14, ReportIsAppendedNativeWithoutLosingEarlierContent)
{
    fs::path report = dir / "report.txt";
    const std::string earlier = "earlier report\n\xA9 kept as it was\n";
    write_text(report, earlier);
    std::string item = item_file("item.toml", kOpening);
    ASSERT_EQ(tx14({"run", "--report", report.string(), item}).exit_code, 0);
    std::string once = slurp(report);
    ASSERT_EQ(tx14({"run", "--report", report.string(), item}).exit_code, 0);
    std::string twice = slurp(report);

    ASSERT_EQ(twice.substr(0, earlier.size()), earlier);
    std::string appended = once.substr(earlier.size());
    EXPECT_EQ(twice, earlier + appended + appended);
    // Native records: a blank, the Windows-1252 text, the style codes from column 109.
    std::string notice_record = " " + std::string(kNoticeNative);
    notice_record.resize(108, ' ');
    notice_record += " 1 0 0 1 0 2\n";
    EXPECT_EQ(count(twice, notice_record), 2u);
    EXPECT_EQ(count(twice, "\xC2\xA9"), 0u) << "the report file stays Windows-1252";
}

TEST_F(Tx14, UnwritableOutputsFailWithOne)
{
    std::string item = item_file("item.toml", kOpening);
    std::string nowhere = (dir / "missing-dir" / "x.txt").string();
    ProgramRun report = tx14({"run", "--report", nowhere, item});
    EXPECT_EQ(report.exit_code, 1);
    EXPECT_NE(report.err.find(nowhere), std::string::npos);
    ProgramRun html = tx14({"run", "--html", nowhere, item});
    EXPECT_EQ(html.exit_code, 1);
    EXPECT_EQ(tx14({"run", "--report", " leading-blank.txt", item}).exit_code, 2);
}

TEST_F(Tx14, HtmlPageIsSelfContainedAndEscapesText)
{
    std::string item = item_file("item.toml", replaced(kOpening, "\"Head\"", "\"A<B & \\\"C\\\"\""));
    fs::path page = dir / "report.html";
    ProgramRun r = tx14({"run", "--html", page.string(), item});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::string html = slurp(page);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("<style>"), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos) << "nothing loaded from elsewhere";
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("<h1>A&lt;B &amp; &quot;C&quot;</h1>"), std::string::npos);
    EXPECT_NE(html.find("<span class=\"title note result\">" + std::string(kNoticeUtf8) + "</span>"),
              std::string::npos);
    EXPECT_TRUE(valid_utf8(html));
}

struct BadInput {
    const char* name;
    std::string toml;
    std::string where;    // "line:column"
    std::string message;  // part of the message
};

TEST_F(Tx14, InputFileErrorsNameLineColumnAndWhatWasExpected)
{
    const BadInput cases[] = {
        {"unknown key", kOpening + "Pj = 3.0\n", "18:1", "unknown key \"Pj\" for an opening item; valid keys: kind, code"},
        {"jacket key in an opening", kOpening + "jacket_material = \"X\"\n", "18:1", "unknown key \"jacket_material\""},
        {"wrong type", kOpening + "hn = \"long\"\n", "18:1", "key \"hn\" expects a number, found a text"},
        {"text for a number", kOpening + "g0n = [1, 2]\n", "18:1", "key \"g0n\" expects a number, found an array"},
        {"infinite", kOpening + "g1n = inf\n", "18:1", "key \"g1n\": the value is not finite"},
        {"nan", kOpening + "g1n = nan\n", "18:1", "not finite"},
        {"beyond single precision", kOpening + "density = 1e300\n", "18:1", "out of the single-precision range"},
        {"long text", replaced(kOpening, "\"SA-105\"", "\"SA-105 Grade 70N\""), "6:1",
         "key \"material\": text longer than 15 characters (16)"},
        {"not in the code page", replaced(kOpening, "\"Head\"", "\"Head \xCE\xB8\""), "5:1", "has no Windows-1252 code"},
        {"control character", replaced(kOpening, "\"Head\"", "\"Head\\u001b[31m\""), "5:1", "holds a control character"},
        {"item not whole", replaced(kOpening, "item = 7", "item = 7.5"), "4:1",
         "key \"item\" expects a whole number, found a number"},
        {"unknown kind", "kind = \"flange\"\n", "1:1", "\"flange\" is not a kind of item; expected \"opening\" or \"jacket\""},
        {"code of the other kind", "kind = \"opening\"\ncode = \"PD5500\"\nunits = \"US\"\n", "2:1",
         "\"PD5500\" is not a code of an opening item; expected \"VIII-1\" or \"VIII-2\""},
        {"table", kOpening + "[nozzle]\ng0n = 1.0\n", "18:2", "unknown key \"nozzle\""},
        {"syntax", kOpening + "P = \n", "18:5", ""},
        {"duplicate key", kOpening + "P = 2.0\n", "18:5", "cannot redefine"},
        {"unit file missing", "kind = \"opening\"\ncode = \"VIII-1\"\nunits = \"nowhere.toml\"\n", "3:1",
         "units \"nowhere.toml\": expected \"US\", \"SI\" or a readable unit file"},
    };
    for (const BadInput& c : cases) {
        std::string file = item_file("bad.toml", c.toml);
        ProgramRun r = tx14({"run", file});
        EXPECT_EQ(r.exit_code, 2) << c.name;
        EXPECT_EQ(r.out, "") << c.name << ": nothing is analysed";
        EXPECT_NE(r.err.find(file + ":" + c.where + ": "), std::string::npos) << c.name << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << "\n" << r.err;
    }
}

TEST_F(Tx14, MissingKeysAndFilesAreNamed)
{
    struct Case {
        std::string toml;
        std::string message;
    } cases[] = {
        {"code = \"VIII-1\"\n", "missing key \"kind\""},
        {"kind = \"jacket\"\nunits = \"US\"\n", "missing key \"code\": expected \"VIII-1\", \"VIII-2\", \"PD5500\" or \"EN13445\""},
        {"kind = \"jacket\"\ncode = \"PD5500\"\n", "missing key \"units\""},
    };
    for (const Case& c : cases) {
        std::string file = item_file("bad.toml", c.toml);
        ProgramRun r = tx14({"run", file});
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_NE(r.err.find(file + ": " + c.message), std::string::npos) << r.err;
    }
    ProgramRun none = tx14({"run", (dir / "none.toml").string()});
    EXPECT_EQ(none.exit_code, 2);
    EXPECT_NE(none.err.find("none.toml: no such file"), std::string::npos);
}

TEST_F(Tx14, UnitFileBesideTheItemGivesTheSameReportAsThePreset)
{
    for (std::string preset : {"US", "SI"}) {
        ProgramRun units = tx14({"units", preset});
        ASSERT_EQ(units.exit_code, 0);
        fs::create_directories(dir / "sub");
        write_text(dir / "sub" / "mine.toml", units.out);
        std::string with_preset = item_file("preset.toml", replaced(kOpening, "\"US\"", "\"" + preset + "\""));
        write_text(dir / "sub" / "file.toml", replaced(kOpening, "\"US\"", "\"mine.toml\""));
        ProgramRun a = tx14({"run", "--json", with_preset});
        ProgramRun b = tx14({"run", "--json", (dir / "sub" / "file.toml").string()});
        ASSERT_EQ(b.exit_code, 0) << b.err;
        nlohmann::ordered_json ja = nlohmann::ordered_json::parse(a.out), jb = nlohmann::ordered_json::parse(b.out);
        EXPECT_EQ(ja["report"], jb["report"]) << preset;
        EXPECT_EQ(ja["results"], jb["results"]) << preset;
    }
}

TEST_F(Tx14, WrongUnitFilesAreReportedWhereTheyAreWrong)
{
    const std::string labels = "labels = [\"in.\",\"lb.\",\"\",\"\",\"ft-lb.\",\"psi\",\"F\",\"F\",\"psi\",\"\",\"\","
                               "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"in.\",\"in.\",\"\"]\n";
    const std::string factors = "factors = [1,1,1,1,1,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,1,1]\n";
    std::string long_label = "labels = [\"a much too long\"";
    for (int i = 0; i < 22; ++i)
        long_label += ",\"\"";
    struct Case {
        std::string text;
        std::string where;
        std::string message;
    } cases[] = {
        {"factors = [1,1]\n" + labels, "1:11", "\"factors\" must be an array of 22 numbers"},
        {factors + replaced(labels, ",\"\"]", "]"), "2:10", "\"labels\" must be an array of 23 texts"},
        {replaced(factors, "0,1", "0,0") + labels, "1:28", "factor 9 (pressures) must not be 0"},
        {replaced(factors, "0,1", "0,1e39") + labels, "1:28", "factor 9 is not a finite"},
        {replaced(factors, "[1", "[\"1\"") + labels, "1:12", "factor 1 must be a number, found a text"},
        {factors + long_label + "]\n", "2:11", "label 1 is longer than 10 characters"},
        {factors + labels + "name = \"x\"\n", "3:1", "unknown key \"name\""},
    };
    for (const Case& c : cases) {
        write_text(dir / "units.toml", c.text);
        std::string item = item_file("item.toml", replaced(kOpening, "\"US\"", "\"units.toml\""));
        ProgramRun r = tx14({"run", item});
        EXPECT_EQ(r.exit_code, 2) << c.message;
        EXPECT_NE(r.err.find((dir / "units.toml").string() + ":" + c.where + ": " + c.message), std::string::npos)
            << c.message << "\n" << r.err;
        ProgramRun check = tx14({"units", (dir / "units.toml").string()});
        EXPECT_EQ(check.exit_code, 2);
    }
}

const std::string kBatchHeader = "kind,code,units,item,material,P,T,t,Bn,A,g0s,g1s,hs,ca,Sho,Shg,D,ts,NPS,Tj,Pj,caj,jacket_material\n";

std::string opening_row(int item, const char* units = "US")
{
    return "opening,VIII-1," + std::string(units) + "," + std::to_string(item) +
           ",SA-105,100,300,4,30,60,1,1.5,3,0.125,20000,20000,,,,,,,\n";
}

std::string jacket_row(int item)
{
    return "jacket,PD5500,US," + std::to_string(item) + ",\"SA-516 70\",100,200,,,,,,,0.125,,,36,0.5,3,0.216,100,0.0625,\"SA-106, B\"\n";
}

TEST_F(Tx14, BatchKeepsTheOrderOfTheRowsAndReportsABadRowWithoutStoppingTheOthers)
{
    std::string csv = kBatchHeader;
    for (int n = 1; n <= 12; ++n)
        csv += (n == 5) ? "opening,VIII-1,US,5,SA-105,abc,300,4,30,60,1,1.5,3,0.125,20000,20000,,,,,,,\n"
             : (n % 3 == 0) ? jacket_row(100 + n) : opening_row(100 + n);
    write_text(dir / "items.csv", csv);
    fs::path reports = dir / "reports";
    ProgramRun r = tx14({"batch", "--jobs", "3", "--reports", reports.string(), (dir / "items.csv").string()});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find((dir / "items.csv").string() + ":6:28: row 5: key \"P\" expects a number, found a text"),
              std::string::npos) << r.err;

    std::vector<std::string> rows = lines_of(r.out);
    ASSERT_EQ(rows.size(), 13u) << r.out;
    EXPECT_EQ(rows[0], "row,item,kind,code,units,status,fatal_errors,minimum_thickness,mawp,largest_stress,"
                       "fillet_weld,permissible_jacket_pressure,governing_shell_thickness");
    for (int n = 1; n <= 12; ++n) {
        std::string prefix = std::to_string(n) + "," + std::to_string(n == 5 ? 5 : 100 + n) + ",";
        EXPECT_EQ(rows[static_cast<std::size_t>(n)].rfind(prefix, 0), 0u) << rows[static_cast<std::size_t>(n)];
        bool bad = n == 5;
        EXPECT_EQ(rows[static_cast<std::size_t>(n)].find(",bad row,") != std::string::npos, bad) << n;
        char name[16];
        std::snprintf(name, sizeof name, "row-%04d.txt", n);
        EXPECT_EQ(fs::exists(reports / name), !bad) << name;
        if (!bad) {
            EXPECT_NE(slurp(reports / name).find(kNoticeNative), std::string::npos);
        }
    }
}

TEST_F(Tx14, BatchOutputDoesNotDependOnTheNumberOfThreads)
{
    std::string csv = kBatchHeader;
    for (int n = 1; n <= 40; ++n)
        csv += (n % 4 == 0) ? jacket_row(n) : opening_row(n, n % 2 ? "US" : "SI");
    write_text(dir / "items.csv", csv);
    ProgramRun one = tx14({"batch", "--jobs", "1", (dir / "items.csv").string()});
    ProgramRun four = tx14({"batch", "--jobs", "4", (dir / "items.csv").string()});
    EXPECT_EQ(one.exit_code, 0) << one.err;
    EXPECT_EQ(four.out, one.out);
}

TEST_F(Tx14, BatchFileErrorsStopEverything)
{
    struct Case {
        std::string csv;
        std::string message;
    } cases[] = {
        {replaced(kBatchHeader, "\n", ",Pressure\n") + opening_row(1),
         ":1:" + std::to_string(kBatchHeader.size() + 1) + ": unknown column \"Pressure\""},
        {"kind,code,kind\n", ":1:11: column \"kind\" appears twice"},
        {kBatchHeader + "opening,\"VIII-1,US\n", ":2:9: quoted field is not closed"},
        {"", ": has no header row"},
    };
    for (const Case& c : cases) {
        write_text(dir / "items.csv", c.csv);
        ProgramRun r = tx14({"batch", (dir / "items.csv").string()});
        EXPECT_EQ(r.exit_code, 2) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_NE(r.err.find((dir / "items.csv").string() + c.message), std::string::npos) << r.err;
    }
}

TEST_F(Tx14, EveryCommandHasHelpAndUsageErrorsExitWithTwo)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"--help"}, {"run", "--help"}, {"batch", "--help"}, {"units", "--help"}}) {
        ProgramRun r = tx14(args);
        EXPECT_EQ(r.exit_code, 0) << args.back();
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << args.front();
    }
    ProgramRun version = tx14({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out.rfind("tx14 ", 0), 0u);
    for (std::vector<std::string> args : {std::vector<std::string>{}, {"frobnicate"}, {"run"}, {"run", "--color=blue", "x.toml"}, {"batch", "--jobs", "0", "x.csv"}})
        EXPECT_EQ(tx14(args).exit_code, 2);
}

TEST_F(Tx14, SiInputGivesTheResultsOfTheEquivalentUsInput)
{
    // The worked head in SI units: every value is the US value converted exactly.
    const std::string si = R"(kind = "opening"
code = "VIII-1"
units = "SI"
P = 0.6894757293168361
T = 148.88888888888889
t = 101.6
Bn = 762.0
A = 1524.0
g0s = 25.4
g1s = 38.1
hs = 76.2
ca = 3.175
Sho = 137.89514586336722
Shg = 137.89514586336722
)";
    nlohmann::ordered_json us = nlohmann::ordered_json::parse(tx14({"run", "--json", item_file("us.toml", kOpening)}).out);
    nlohmann::ordered_json metric = nlohmann::ordered_json::parse(tx14({"run", "--json", item_file("si.toml", si)}).out);
    const std::pair<const char*, double> factors[] = {
        {"minimum_thickness", 25.4}, {"mawp", 0.006894757293168361}, {"largest_stress", 0.006894757293168361}};
    for (auto [name, factor] : factors) {
        ASSERT_EQ(us["results"][name].is_null(), metric["results"][name].is_null()) << name;
        if (us["results"][name].is_null())
            continue;
        double expected = us["results"][name].get<double>() * factor;
        EXPECT_NEAR(metric["results"][name].get<double>(), expected, 1e-5 * std::fabs(expected) + 1e-9) << name;
    }
}

TEST_F(Tx14, FatalInputErrorsExitWithThreeAndStillPrintTheReport)
{
    std::string opening = replaced(kOpening, "g1s = 1.5", "g1s = 0.5");  // thinner than g0s
    std::string jacket = R"(kind = "jacket"
code = "VIII-1"
units = "US"
D = 48.0
ts = 0.125
ca = 0.125
P = 100.0
S = 20000.0
E = 1.0
NPS = 2.0
Tj = 0.218
Pj = 150.0
Sj = 15000.0
caj = 0.0625
)";
    for (const std::string& toml : {opening, jacket}) {  // one fatal finding each
        std::string item = item_file("faulty.toml", toml);
        ProgramRun text = tx14({"run", item});
        EXPECT_EQ(text.exit_code, 3) << text.out;
        EXPECT_EQ(lines_of(text.out).back(), kNoticeUtf8);
        ProgramRun json = tx14({"run", "--json", item});
        EXPECT_EQ(json.exit_code, 3);
        nlohmann::ordered_json j = nlohmann::ordered_json::parse(json.out);
        EXPECT_EQ(j["fatal_errors"], 1);
        for (auto& [name, value] : j["results"].items())
            EXPECT_TRUE(value.is_null()) << name;
    }
}

// The worked items: results from elements 30-32 and 196-198.
TEST_F(Tx14, ResultsComeFromTheResultElements)
{
    struct Case {
        const char* file;
        const char* name;
        double value;
        double tolerance;
    } cases[] = {
        {"opening-viii1.toml", "mawp", 209.2, 0.05},
        {"opening-viii1.toml", "largest_stress", 12100, 5},
        {"opening-viii1.toml", "minimum_thickness", 2.282, 0.0005},
        {"coil-pd5500.toml", "permissible_jacket_pressure", 642.09, 0.005},
        {"coil-pd5500.toml", "governing_shell_thickness", 0.27299, 0.000005},
        {"coil-pd5500.toml", "fillet_weld", 0.0, 0.0},
        {"coil-en13445.toml", "permissible_jacket_pressure", 726.04, 0.005},
        {"coil-en13445.toml", "governing_shell_thickness", 0.26417, 0.000005},
    };
    for (const Case& c : cases) {
        ProgramRun r = tx14({"run", "--json", (kExamples / c.file).string()});
        ASSERT_EQ(r.exit_code, 0) << c.file;
        nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
        ASSERT_TRUE(j["results"][c.name].is_number()) << c.file << " " << c.name;
        EXPECT_NEAR(j["results"][c.name].get<double>(), c.value, c.tolerance) << c.file << " " << c.name;
    }
}

}  // namespace
