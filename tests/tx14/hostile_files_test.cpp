// tx14 against hostile files and places: what it refuses, with which exit
// code and message, and that nothing the user owns is lost or written
// through a symbolic link on the way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;

const std::string kRows =
    "kind,code,units,P,T,t,Bn,A,g0s,g1s,hs,Sho,Shg\n"
    "opening,VIII-1,US,100,300,4,30,60,1,1.5,3,20000,20000\n";
const std::string kKept = "a file the user owns\n";
const std::string kDottedKey = "a" + [] {
    std::string s;
    for (int i = 1; i < 40000; ++i)
        s += ".a";
    return s;
}() + " = 1\n";

using Prepare = std::function<bool(const fs::path&)>;

// "@" in `s` as the directory.
std::string in_dir(const fs::path& dir, std::string s)
{
    for (std::size_t at; (at = s.find('@')) != std::string::npos;)
        s.replace(at, 1, dir.string());
    return s;
}

Prepare file(const std::string& name, const std::string& text)
{
    return [=](const fs::path& dir) {
        write_file(dir / name, text);
        return true;
    };
}
Prepare fifo(const std::string& name)
{
    return [=](const fs::path& dir) { return mkfifo((dir / name).c_str(), 0600) == 0; };
}
Prepare link(const std::string& name, const fs::path& target)
{
    return [=](const fs::path& dir) {
        std::error_code ec;
        fs::create_directories((dir / name).parent_path(), ec);
        fs::create_symlink(target.is_absolute() ? target : dir / target, dir / name, ec);
        return !ec;
    };
}
Prepare device(const char* path)
{
    return [=](const fs::path&) { return fs::exists(path); };
}

struct Case {
    std::vector<std::string> args;  // "@" stands for the case's directory
    int exit_code;
    std::string message;         // part of standard error
    std::vector<Prepare> setup;  // one failing: the platform lacks it, skipped
    std::string input = "/dev/null";
    bool appends_to_kept = false;  // else kept.txt must stay as it was
    std::string creates = {};      // a file the run writes in the case's directory
};

TEST(Tx14Files, HostileFilesAndPlacesAreRefusedAndLoseNothing)
{
    const std::string big = kOpening + "#" + std::string(1 << 20, 'x') + "\n";
    const Case cases[] = {
        {{"run", "@/fifo.toml"}, 2, "fifo.toml: is a FIFO (named pipe), not a regular file", {fifo("fifo.toml")}},
        {{"batch", "@/fifo.csv"}, 2, "fifo.csv: is a FIFO (named pipe), not a regular file", {fifo("fifo.csv")}},
        {{"run", "/dev/zero"}, 2, "/dev/zero: is a device, not a regular file", {device("/dev/zero")}},
        {{"run", "@/u.toml"},
         2,
         "/dev/zero: is a device",
         {device("/dev/zero"), file("u.toml", replaced(kOpening, "\"US\"", "\"/dev/zero\""))}},
        {{"run", "@/big.toml"}, 2, "big.toml: is larger than 1 MiB", {file("big.toml", big)}},
        {{"run", "-"}, 2, "-: standard input is larger than 1 MiB", {file("big.toml", big)}, "@/big.toml"},
        {{"run", "-"}, 0, "", {}, "@/item.toml"},
        {{"run", "@/deep.toml"}, 2, "deep.toml:1:128: nested deeper than 64 levels", {file("deep.toml", kDottedKey)}},
        {{"run", "@/deep.toml"},
         2,
         "deep.toml:1:68: nested deeper than 64 levels",
         {file("deep.toml", "P = " + std::string(100, '[') + std::string(100, ']'))}},
        {{"batch", "@/rows.csv"},
         2,
         "deep.toml:1:128: row 2: nested deeper than 64 levels",
         {file("deep.toml", kDottedKey),
          file("rows.csv", kRows + replaced(kRows.substr(kRows.find('\n') + 1), "US", "deep.toml"))}},
        {{"batch", "@/rows.csv"},
         2,
         "rows.csv:2:19: row 1: key \"P\": 1e400 is out of range",
         {file("rows.csv", replaced(kRows, ",100,", ",1e400,"))}},
        {{"run", "--html", "@/page.html", "@/item.toml"}, 0, "", {link("page.html", "kept.txt")}},
        {{"batch", "--reports", "@/r", "@/rows.csv"},
         0,
         "",
         {file("rows.csv", kRows), link("r/row-0001.txt", "kept.txt")}},
        {{"run", "--report", "@/link.txt", "@/item.toml"}, 0, "", {link("link.txt", "kept.txt")}, "/dev/null", true},
        {{"run", "--html", "@/item.toml", "@/item.toml"},
         2,
         "--html: @/item.toml is the item file @/item.toml; refused",
         {}},
        {{"run", "--report", "@/link.toml", "@/item.toml"},
         2,
         "@/link.toml is the item file @/item.toml; refused",
         {link("link.toml", "item.toml")}},
        {{"run", "--html", "@/item.toml", "-"}, 2, "is standard input, the item file; refused", {}, "@/item.toml"},
        {{"run", "--html", "@/kept.txt", "--report", "@/kept.txt", "@/item.toml"},
         2,
         "--html: @/kept.txt is also the --report output; refused",
         {}},
        {{"run", "--report", "/dev/full", "@/item.toml"},
         1,
         "/dev/full: the report could not be written whole: No space left on device",
         {device("/dev/full")}},
        {{"run", "--html", "/dev/full", "@/item.toml"},
         1,
         "/dev/full: cannot write the HTML page: No space left on device",
         {device("/dev/full")}},
        {{"run", "--report", "@/no-dir/r.txt", "@/item.toml"}, 1, "@/no-dir/r.txt", {}},
        {{"run", "--html", "@/no-dir/p.html", "@/item.toml"}, 1, "@/no-dir/p.html", {}},
        // The name as given, blank and all.
        {{"run", "--report", "@/ leading-blank.txt", "@/item.toml"},
         0,
         "",
         {},
         "/dev/null",
         false,
         " leading-blank.txt"},
        {{"batch", "--reports", "@/r", "@/rows.csv"},
         1,
         "row-0001.txt: cannot write the report: No space left on device",
         {device("/dev/full"), file("rows.csv", kRows), link("r/row-0001.txt", "/dev/full")}},
    };
    int n = 0;
    for (const Case& c : cases) {
        ScratchDir dir("hostile-" + std::to_string(++n));
        auto here = [&](const std::string& s) { return in_dir(dir.path, s); };
        write_file(dir / "item.toml", kOpening);
        write_file(dir / "kept.txt", kKept);
        bool available = true;
        for (const Prepare& s : c.setup)
            available = available && s(dir.path);
        if (!available) {
            std::cout << "case " << n << " skipped: the platform lacks what it needs\n";
            continue;
        }
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(here(a));
        fs::create_directories(dir / "run");
        ProgramRun r = run_program(TX14_CLI, args, dir / "run", here(c.input));
        EXPECT_EQ(r.exit_code, c.exit_code) << "case " << n << ": " << r.err;
        EXPECT_NE(r.err.find(here(c.message)), std::string::npos) << "case " << n << ": " << r.err;
        EXPECT_EQ(read_file(dir / "item.toml"), kOpening) << "case " << n;
        if (!c.creates.empty()) {
            EXPECT_TRUE(fs::is_regular_file(dir / c.creates)) << "case " << n;
        }
        const std::string kept = read_file(dir / "kept.txt");
        EXPECT_TRUE(c.appends_to_kept ? kept.size() > kKept.size() && kept.starts_with(kKept) : kept == kKept)
            << "case " << n;
    }
}

TEST(Tx14Files, FilesWrittenThroughALinkReplaceTheLink)
{
    ScratchDir dir("replaced-link");
    write_file(dir / "item.toml", kOpening);
    write_file(dir / "kept.txt", kKept);
    fs::create_symlink(dir / "kept.txt", dir / "page.html");
    ASSERT_EQ(
        run_program(TX14_CLI, {"run", "--html", (dir / "page.html").string(), (dir / "item.toml").string()}, dir.path)
            .exit_code,
        0);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "page.html")));
    EXPECT_TRUE(read_file(dir / "page.html").starts_with("<!DOCTYPE html>"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 5) << "no temporary file left";
}

// An output named as an input, or leading to it through a link or another
// name of its inode, is refused before anything is written (exit 2) with a
// message naming both; every input stays as it was. In a batch, a row whose
// unit file is an output is a bad row and the others run.
TEST(Tx14Files, NoOutputReplacesOrWritesIntoAnInput)
{
    const std::string units = read_file(fs::path(TX14_EXAMPLES_DIR) / "units-bar.toml");
    const std::string item = replaced(kOpening, "\"US\"", "\"units.toml\"");
    const std::string rows = kRows + replaced(kRows.substr(kRows.find('\n') + 1), ",US,", ",r/row-0002.txt,");
    auto hard_link = [](const std::string& name, const std::string& to) {
        return [=](const fs::path& dir) { return ::link((dir / to).c_str(), (dir / name).c_str()) == 0; };
    };
    const struct {
        std::vector<std::string> args;
        int exit_code;
        std::string message;
        std::vector<std::pair<std::string, std::string>> inputs;  // name and text: kept as they are
        std::vector<Prepare> setup;
    } cases[] = {
        {{"batch", "@/out/index.html", "--html", "@/out"},
         2,
         "@/out/index.html: the batch file is the --html output @/out/index.html; refused",
         {{"out/index.html", kRows}},
         {}},
        {{"batch", "@/out/row-0001.html", "--html", "@/out"},
         2,
         "is the --html output @/out/row-0001.html; refused",
         {{"out/row-0001.html", kRows}},
         {}},
        {{"batch", "@/rows.csv", "--reports", "@/out"},
         2,
         "the batch file is the --reports output @/out/row-0001.txt",
         {{"out/rows.csv", kRows}},
         {link("rows.csv", "out/rows.csv"), hard_link("out/row-0001.txt", "out/rows.csv")}},
        {{"batch", "@/link.csv", "--html", "@/out"},
         2,
         "is the --html output @/out/index.html",
         {{"out/index.html", kRows}},
         {link("link.csv", "out/index.html")}},
        {{"batch", "@/rows.csv", "--html", "@/out", "--sheet-info", "@/out/index.html"},
         2,
         "@/out/index.html: the sheet-info file is the --html output @/out/index.html; refused",
         {{"rows.csv", kRows}, {"out/index.html", "[sheet]\nproject = \"P\"\n"}},
         {}},
        {{"run", "@/item.toml", "--html", "@/units.toml"},
         2,
         "--html: @/units.toml is the unit file @/units.toml of @/item.toml; refused",
         {{"units.toml", units}},
         {}},
        {{"run", "@/other.toml", "@/item.toml", "--report", "@/units.toml"},
         2,
         "--report: @/units.toml is the unit file",
         {{"units.toml", units}},
         {file("other.toml", kOpening)}},
        {{"run", "@/item.toml", "--pdf", "@/units.toml"},
         2,
         "--pdf: @/units.toml is the unit file",
         {{"units.toml", units}},
         {}},
        {{"batch", "@/rows.csv", "--reports", "@/r"},
         2,
         "rows.csv:3:16: row 2: units \"r/row-0002.txt\": the unit file @/r/row-0002.txt is the --reports output "
         "@/r/row-0002.txt; refused",
         {{"r/row-0002.txt", units}, {"rows.csv", rows}},
         {}},
    };
    int n = 0;
    for (const auto& c : cases) {
        ScratchDir dir("inputs-" + std::to_string(++n));
        auto here = [&](const std::string& s) { return in_dir(dir.path, s); };
        for (const char* sub : {"out", "r", "run"})
            fs::create_directories(dir / sub);
        write_file(dir / "item.toml", item);
        for (const auto& [name, text] : c.inputs)
            write_file(dir / name, text);
        for (const Prepare& s : c.setup)
            ASSERT_TRUE(s(dir.path)) << "case " << n;
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(here(a));
        ProgramRun r = run_program(TX14_CLI, args, dir / "run");
        EXPECT_EQ(r.exit_code, c.exit_code) << "case " << n << ": " << r.err;
        EXPECT_NE(r.err.find(here(c.message)), std::string::npos) << "case " << n << ": " << r.err;
        for (const auto& [name, text] : c.inputs)
            EXPECT_EQ(read_file(dir / name), text) << "case " << n << ": " << name;
        EXPECT_EQ(read_file(dir / "item.toml"), item) << "case " << n;
    }
}

// A private file stays private when tx14 writes it anew.
TEST(Tx14Files, AReplacedFileKeepsItsPermissions)
{
    ScratchDir dir("modes");
    write_file(dir / "item.toml", kOpening);
    write_file(dir / "rows.csv", kRows);
    fs::create_directories(dir / "r");
    const std::pair<std::vector<std::string>, fs::path> cases[] = {
        {{"run", "--html", (dir / "page.html").string(), (dir / "item.toml").string()}, dir / "page.html"},
        {{"batch", "--reports", (dir / "r").string(), (dir / "rows.csv").string()}, dir / "r" / "row-0001.txt"},
    };
    for (const auto& [args, output] : cases)
        for (fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write, fs::perms(0640)}) {
            write_file(output, kKept);
            fs::permissions(output, mode);
            ASSERT_EQ(run_program(TX14_CLI, args, dir.path).exit_code, 0) << output;
            EXPECT_NE(read_file(output), kKept) << output;
            EXPECT_EQ(fs::status(output).permissions(), mode) << output;
        }
}

// Key names, kind and units values, CSV header cells and file names reach
// the terminal with their control characters as escapes.
TEST(Tx14Names, ControlCharactersInMessagesAreShownAsEscapes)
{
    const struct {
        std::string name, text, shown;
    } cases[] = {
        {"key.toml", "kind = \"opening\"\n\"\\u001b]0;PWNED\\u0007\\u001b[2J\" = 1\n",
         "unknown key \"\\x1b]0;PWNED\\x07\\x1b[2J\""},
        {"kind.toml", "kind = \"\\u001b[2Jhead\"\n", "key \"kind\": \"\\x1b[2Jhead\" is not a kind"},
        {"units.toml", replaced(kOpening, "\"US\"", "\"\\u009b31m.toml\""), "units \"\\u{009b}31m.toml\": expected"},
        {"rows.csv", "kind,\x1b[2J\n", "unknown column \"\\x1b[2J\""},
        {"\x1b[2J.toml", kOpening, "\\x1b[2J.toml:17:1: warning: key \"Shg\""},
    };
    ScratchDir dir("escapes");
    for (const auto& c : cases) {
        write_file(dir / c.name, c.name == "\x1b[2J.toml" ? replaced(c.text, "Shg = 20000.0", "Shg = 0.0") : c.text);
        ProgramRun r =
            run_program(TX14_CLI, {c.name.ends_with(".csv") ? "batch" : "run", (dir / c.name).string()}, dir.path);
        EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("\xC2\x9B"), std::string::npos) << r.err;
    }
}

// A Windows-1252 file name or cell shows as U+FFFD; no output fails on it.
TEST(Tx14Names, BytesThatAreNotUtf8ShowAsReplacementCharacters)
{
    ScratchDir dir("not-utf8");
    const fs::path item = dir / "caf\xE9.toml", page = dir / "page.html", report = dir / "report.txt";
    write_file(item, kOpening);
    ProgramRun r = run_program(
        TX14_CLI, {"run", "--json", "--html", page.string(), "--report", report.string(), item.string()}, dir.path);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(nlohmann::json::parse(r.out)["input"].get<std::string>().ends_with("caf\xEF\xBF\xBD.toml")) << r.out;
    EXPECT_NE(read_file(page).find("caf\xEF\xBF\xBD.toml"), std::string::npos);
    EXPECT_NE(read_file(report).find(kNotice), std::string::npos);

    write_file(item, kOpening + "x = 1\n");
    EXPECT_NE(
        run_program(TX14_CLI, {"run", item.string()}, dir.path).err.find("caf\xEF\xBF\xBD.toml:18:1: unknown key"),
        std::string::npos);

    write_file(dir / "rows.csv", replaced(kRows, "Shg\n", "Shg,description\n") +
                                     replaced(kRows.substr(kRows.find('\n') + 1), "\n", ",f\xFCr\n"));
    ProgramRun batch = run_program(TX14_CLI, {"batch", (dir / "rows.csv").string()}, dir.path);
    EXPECT_NO_THROW((void)nlohmann::json(batch.out).dump()) << "the results are not UTF-8";
    EXPECT_NE(batch.out.find(",f\xEF\xBF\xBDr,"), std::string::npos) << batch.out;
}

// Unit labels holding a quote or a backslash print as TOML that reads back.
TEST(Tx14Names, UnitLabelsPrintAsTomlThatReadsBack)
{
    ScratchDir dir("labels");
    write_file(dir / "a.toml",
               replaced(run_program(TX14_CLI, {"units", "US"}, dir.path).out, "\"in.\"", "\"in\\\"\\\\\""));
    ProgramRun a = run_program(TX14_CLI, {"units", (dir / "a.toml").string()}, dir.path);
    ASSERT_EQ(a.exit_code, 0) << a.err;
    write_file(dir / "b.toml", a.out);
    ProgramRun b = run_program(TX14_CLI, {"units", (dir / "b.toml").string()}, dir.path);
    EXPECT_EQ(b.exit_code, 0) << b.err;
    EXPECT_EQ(b.out.substr(b.out.find('\n')), a.out.substr(a.out.find('\n')));  // all but the file's name
}

// Smaller findings, each with what it says and does now: a value out of
// range is not also missing, a sheet not written says why, a sheet on
// standard output writes no file named "-", a date beyond four-digit years
// is refused.
TEST(Tx14Files, SmallFaultsAreReportedAsWhatTheyAre)
{
    const struct {
        std::vector<std::string> args;
        int exit_code;
        std::string message;  // the whole of standard error when it ends with a line break
        std::string epoch = "";
    } cases[] = {
        {{"run", "@/big.toml"},
         2,
         "@/big.toml:7:1: key \"P\": the value in internal units is out of the single-precision range\n"},
        {{"batch", "@/big.csv"},
         2,
         "@/big.csv:2:19: row 1: key \"P\": the value in internal units is out of the single-precision range\n"},
        {{"batch", "@/rows.csv", "--html", "@/out"},
         1,
         "@/out/row-0001.html: cannot write the sheet: Is a directory\n"},
        {{"run", "@/item.toml", "--html", "@/page.html"},
         2,
         "SOURCE_DATE_EPOCH: \"99999999999999999\" is not a whole number",
         "99999999999999999"},
        {{"batch", "@/rows.csv", "--html", "@/sheets"}, 2, "SOURCE_DATE_EPOCH: \"-1\"", "-1"},
        {{"run", "@/item.toml", "--html", "-", "--json"}, 2, "--html - and --json: both would go to standard output"},
        {{"run", "@/item.toml", "--html", "-", "--pdf", "-"}, 2, "standard output takes one of them"},
        {{"batch", "@/rows.csv", "--html", "-"}, 2, "--html -: a batch writes a file per row into a directory"},
        {{"run", "@/item.toml", "--pdf-timeout", "nan", "--pdf", "@/x.pdf"},
         2,
         "--pdf-timeout: expected a number of seconds"},
    };
    int n = 0;
    for (const auto& c : cases) {
        ScratchDir dir("small-" + std::to_string(++n));
        auto here = [&](const std::string& s) { return in_dir(dir.path, s); };
        write_file(dir / "item.toml", kOpening);
        write_file(dir / "big.toml", replaced(kOpening, "P = 100.0", "P = 1e39"));
        write_file(dir / "big.csv", replaced(kRows, ",100,", ",1e39,"));
        write_file(dir / "rows.csv", kRows);
        fs::create_directories(dir / "out" / "row-0001.html");
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(here(a));
        if (!c.epoch.empty())
            setenv("SOURCE_DATE_EPOCH", c.epoch.c_str(), 1);
        ProgramRun r = run_program(TX14_CLI, args, dir.path);
        unsetenv("SOURCE_DATE_EPOCH");
        EXPECT_EQ(r.exit_code, c.exit_code) << "case " << n << ": " << r.err;
        if (c.message.ends_with('\n'))
            EXPECT_EQ(r.err, here(c.message)) << "case " << n;
        else
            EXPECT_NE(r.err.find(here(c.message)), std::string::npos) << "case " << n << ": " << r.err;
        EXPECT_FALSE(fs::exists(dir / "page.html") || fs::exists(dir / "sheets") || fs::exists("-")) << "case " << n;
    }
    ScratchDir dir("sheet-to-stdout");
    write_file(dir / "item.toml", kOpening);
    ProgramRun r = run_program(TX14_CLI, {"run", (dir / "item.toml").string(), "--html", "-"}, dir.path);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("<!DOCTYPE html>") && r.out.ends_with("</html>\n")) << r.out.substr(0, 200);
    EXPECT_FALSE(fs::exists("-"));
}

}  // namespace
