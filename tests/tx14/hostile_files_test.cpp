// Every way tx14 refuses or fails, each with its exit code and message: bad
// item, unit, batch and sheet-info files, help and usage errors, hostile
// files, places and names. No control character reaches the terminal, a
// refused run prints nothing, and every file of the user's directory stays
// as it was but the outputs the case names (a link under an output's name
// replaced, not written through; permissions kept; no temporary file left).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;

const std::string kRows =
    "kind,code,units,P,T,t,Bn,A,g0s,g1s,hs,Sho,Shg\n"
    "opening,VIII-1,US,100,300,4,30,60,1,1.5,3,20000,20000\n";

// What a case needs in its directory.
using Prepare = std::function<void(const fs::path&)>;
Prepare file(const std::string& name, const std::string& text, fs::perms mode = fs::perms(0644))
{
    return [=](const fs::path& dir) {
        write_file(dir / name, text);
        fs::permissions(dir / name, mode);
    };
}
Prepare link(const std::string& name, const std::string& to)
{
    return [=](const fs::path& dir) { fs::create_symlink(to.starts_with('/') ? fs::path(to) : dir / to, dir / name); };
}

struct Case {
    std::string args;  // split at blanks; "@" is the directory, "~" a blank, "<FILE" standard input
    int exit_code;
    std::string message;  // part of standard error; all of it when it ends with a line break
    std::vector<Prepare> setup = {};
    std::set<std::string> outputs = {};  // what the run writes; everything else stays as it was
    std::string shows = "";              // part of standard output
};

struct Entry {
    bool link;
    std::string bytes;  // a link's target
    fs::perms mode;
    bool operator==(const Entry&) const = default;
};

// Every name below `dir` but directories.
std::map<std::string, Entry> files_in(const fs::path& dir)
{
    std::map<std::string, Entry> files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir))
        if (e.is_symlink() || !e.is_directory())
            files[e.path().lexically_relative(dir).string()] = {e.is_symlink(),
                                                                e.is_symlink()        ? fs::read_symlink(e).string()
                                                                : e.is_regular_file() ? read_file(e)
                                                                                      : "",
                                                                e.symlink_status().permissions()};
    return files;
}

TEST(Tx14Files, EveryRefusalHasItsExitCodeAndMessageAndLosesNothing)
{
    const std::string units = read_file(fs::path(TX14_EXAMPLES_DIR) / "units-bar.toml");
    const std::string big = kOpening + "#" + std::string(1 << 20, 'x') + "\n", kind = "kind = \"opening\"\n";
    const std::string factors = "factors = [1,1,1,1,1,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,1,1]\n";
    const std::string labels = "labels = ['','','','','','','','','','','','','','','','','','','','','','','']\n";
    const std::string single = "the value in internal units is out of the single-precision range\n";
    const std::string warned = replaced(kOpening, "Shg = 20000.0", "Shg = 0.0"), c1 = "\\u009b31m.toml";
    const std::string esc_key = kind + "\"\\u001b]0;PWNED\\u0007\\u001b[2J\" = 1\n";
    const std::string r2_message = ":16: row 2: units \"r/row-0002.txt\": the unit file @/r/row-0002.txt is the";
    const Prepare deep = file("deep.toml", "P = " + std::string(40000, '[')), index = file("out/index.html", kRows);
    const Prepare fifo = [](const fs::path& dir) { ASSERT_EQ(mkfifo((dir / "fifo.toml").c_str(), 0600), 0); };
    const Prepare full = link("r/row-0001.txt", "/dev/full");
    const Prepare clash = [](const fs::path& dir) { fs::create_directory(dir / "out/row-0001.html"); };
    const Prepare same = [](const fs::path& dir) { fs::create_hard_link(dir / "o.csv", dir / "out/row-0001.txt"); };
    const Prepare epoch = [](const fs::path&) { setenv("SOURCE_DATE_EPOCH", "99999999999999999", 1); };
    const Prepare r2 = [&](const fs::path& dir) {
        write_file(dir / "r2.csv", kRows + replaced(kRows.substr(kRows.find('\n') + 1), ",US,", ",r/row-0002.txt,"));
        write_file(dir / "r/row-0002.txt", units);
    };
    const Prepare fur = file("fur.csv", replaced(replaced(kRows, "Shg\n", "Shg,description\n"), "0\n", "0,f\xFCr\n"));
    // A file refused: where and why.
    auto item = [](const std::string& text, const std::string& message) {
        return Case{"run @/i.toml", 2, "@/i.toml" + message, {file("i.toml", text)}};
    };
    auto unit_file = [](const std::string& text, const std::string& message) {
        return Case{"run @/bar.toml", 2, "@/units.toml" + message, {file("units.toml", text)}};
    };
    auto batch = [](const std::string& text, const std::string& message) {
        return Case{"batch @/b.csv", 2, "@/b.csv" + message, {file("b.csv", text)}};
    };
    auto info = [](const std::string& text, const std::string& message) {
        return Case{"batch @/rows.csv --html @/out --sheet-info @/s", 2, "@/s" + message, {file("s", text)}};
    };
    // In every case's directory.
    const std::pair<const char*, std::string> base[] = {
        {"item.toml", kOpening}, {"bar.toml", replaced(kOpening, "US", "units.toml")},
        {"units.toml", units},   {"rows.csv", kRows},
        {"o.csv", kRows},        {"kept.txt", "a file the user owns\n"}};
    const Case cases[] = {
        // Item files: line, column and what was expected.
        item(kOpening + "Pj = 3.0\n", ":18:1: unknown key \"Pj\" for an opening item (did you mean \"P\"?)"),
        item(kOpening + "hn = \"long\"\n", ":18:1: key \"hn\" expects a number, found a text"),
        item(kOpening + "g1n = inf\n", ":18:1: key \"g1n\": the value is not finite"),
        item(replaced(kOpening, "Bn = 30.0\n", ""), ": missing key \"Bn\" (opening inside diameter, unit in.)"),
        item(replaced(kOpening, "SA-105", "SA-105 Grade 70N"), ":6:1: key \"material\": text longer than 15"),
        item(replaced(kOpening, "Head", "Head \xCE\xB8"), ":5:1: key \"description\": the character \"\xCE\xB8\""),
        item(kOpening + "[nozzle]\ng0n = 1.0\n", ":18:2: unknown key \"nozzle\""),
        item(replaced(kOpening, "Bn = 30.0", "Bn = 59.0"), ":10:1: key \"Bn\": the opening does not fit inside the"),
        item(replaced(kOpening, "ca = 0.125", "ca = -1e-30"), ":15:1: key \"ca\": -1e-30 is negative"),
        item(kOpening + "P = \n", ":18:5: "),
        item(kind + "units = \"nowhere.toml\"\n", ":2:1: units \"nowhere.toml\": expected \"US\", \"SI\" or"),
        // Unit files.
        unit_file("factors = [1,1]\n" + labels, ":1:11: \"factors\" must be an array of 22 numbers"),
        unit_file(replaced(factors, "0,1", "0,0") + labels, ":1:28: factor 9 (pressures) must not be 0"),
        {"units @/u.toml", 2, "@/u.toml:1:11: \"factors\" must be", {file("u.toml", "factors = [1,1]\n" + labels)}},
        // Batch and sheet-info files: nothing runs.
        batch(replaced(kRows, "Shg\n", "Shg,Pressure\n"), ":1:47: unknown column \"Pressure\""),
        batch(kRows + "opening,\"" + std::string(3 << 20, 'x') + "\"x\n",  // longer than the read buffer
              ":3:" + std::to_string((3 << 20) + 11) + ": unexpected text after a quoted field"),
        batch("", ": has no header row"),
        info("[sheet]\nprojekt = \"P\"\n", ":2:1: unknown key \"projekt\" in [sheet]; valid keys: project, vessel"),
        info("[sheet]\nproject = \"a\\tb\"\n", ":2:1: \"project\": the text holds a control character"),
        {"batch @/rows.csv --sheet-info @/s", 2, "--html", {file("s", "[sheet]\n")}},  // only for sheets
        // Help and usage.
        {"--help", 0, "", {}, {}, "Usage:"},
        {"--version", 0, "", {}, {}, "tx14 "},
        {"", 2, "A subcommand is required"},
        {"run @/item.toml --html - --json", 2, "--html - and --json: both would go to standard output"},
        {"batch @/rows.csv --html -", 2, "--html -: a batch writes a file per row into a directory"},
        {"run @/item.toml --pdf-timeout nan --pdf @/x.pdf", 2, "--pdf-timeout: expected a number of seconds"},
        {"run --html @/p.html @/item.toml @/item.toml", 2, "--html: one sheet per item"},
        {"run @/item.toml --html @/p.html", 2, "SOURCE_DATE_EPOCH: \"99999999999999999\" is not", {epoch}},
        // Not regular files, too large, nested too deep, out of range (and not also missing).
        {"run @/fifo.toml", 2, "fifo.toml: is a FIFO (named pipe), not a regular file", {fifo}},
        {"run /dev/zero", 2, "/dev/zero: is a device, not a regular file"},
        {"run @/u.toml", 2, "/dev/zero: is a device", {file("u.toml", replaced(kOpening, "US", "/dev/zero"))}},
        {"run @/big.toml", 2, "big.toml: is larger than 1 MiB", {file("big.toml", big)}},
        {"run - <@/big.toml", 2, "-: standard input is larger than 1 MiB", {file("big.toml", big)}},
        {"run - <@/item.toml", 0, "", {}, {}, "VERDICT: ACCEPTABLE"},
        {"run @/deep.toml", 2, "deep.toml:1:68: nested deeper than 64 levels", {deep}},
        batch(replaced(kRows, ",100,", ",1e400,"), ":2:19: row 1: key \"P\": 1e400 is out of range"),
        item(replaced(kOpening, "P = 100.0", "P = 1e39"), ":7:1: key \"P\": " + single),
        batch(replaced(kRows, ",100,", ",1e39,"), ":2:19: row 1: key \"P\": " + single),
        // Outputs through links, over private files, to full or missing places, or standard output.
        {"run --html @/page.html @/item.toml", 0, "", {link("page.html", "kept.txt")}, {"page.html"}},
        {"batch --reports @/r @/rows.csv", 0, "", {link("r/row-0001.txt", "kept.txt")}, {"r/row-0001.txt"}},
        {"run --report @/link.txt @/item.toml", 0, "", {link("link.txt", "kept.txt")}, {"kept.txt"}},  // appended
        {"run --html @/page.html @/item.toml", 0, "", {file("page.html", "", fs::perms(0600))}, {"page.html"}},
        {"run --report /dev/full @/item.toml", 1, "/dev/full: the report could not be written whole: No space"},
        {"run --html /dev/full @/item.toml", 1, "/dev/full: cannot write the HTML page: No space left on device"},
        {"batch --reports @/r @/rows.csv", 1, "row-0001.txt: cannot write the report: No space", {full}},
        {"batch @/rows.csv --html @/out", 1, "cannot write the sheet: Is a directory", {clash}, {"out/index.html"}},
        {"run --report @/no-dir/r.txt @/item.toml", 1, "@/no-dir/r.txt"},
        {"run --report @/~blank.txt @/item.toml", 0, "", {}, {" blank.txt"}},  // the name as given
        {"run @/item.toml --html -", 0, "", {}, {}, "<!DOCTYPE html>"},        // and no file "-"
        // An output that is an input, by name, link or inode: refused before anything is written.
        {"run --html @/item.toml @/item.toml", 2, "--html: @/item.toml is the item file @/item.toml; refused"},
        {"run --report @/l.toml @/item.toml", 2, "@/l.toml is the item file", {link("l.toml", "item.toml")}},
        {"run --html @/item.toml - <@/item.toml", 2, "is standard input, the item file; refused"},
        {"run --html @/kept.txt --report @/kept.txt @/item.toml", 2, "--html: @/kept.txt is also the --report output"},
        {"run @/bar.toml --html @/units.toml", 2, "--html: @/units.toml is the unit file @/units.toml of @/bar.toml"},
        {"batch @/out/index.html --html @/out", 2, "@/out/index.html: the batch file is the --html output", {index}},
        {"batch @/l.csv --html @/out", 2, "--html output @/out/index.html", {index, link("l.csv", "out/index.html")}},
        {"batch @/o.csv --html @/out", 2, "--html output @/out/row-0001.html", {link("out/row-0001.html", "o.csv")}},
        {"batch @/o.csv --reports @/out", 2, "the batch file is the --reports output @/out/row-0001.txt", {same}},
        {"batch @/rows.csv --html @/out --sheet-info @/out/index.html", 2, "sheet-info file is the --html", {index}},
        {"batch @/r2.csv --reports @/r", 2, r2_message, {r2}, {"r/row-0001.txt"}},  // the other rows run
        // Control characters in keys, values, cells and file names shown as escapes; other bytes as U+FFFD.
        {"run @/key.toml", 2, "unknown key \"\\x1b]0;PWNED\\x07\\x1b[2J\"", {file("key.toml", esc_key)}},
        {"run @/c1.toml", 2, "units \"\\u{009b}31m.toml\": expected", {file("c1.toml", replaced(kOpening, "US", c1))}},
        {"batch @/esc.csv", 2, "unknown column \"\\x1b[2J\"", {file("esc.csv", "kind,\x1b[2J\n")}},
        {"run @/\x1b[2J.toml", 0, "\\x1b[2J.toml:17:1: warning: key \"Shg\"", {file("\x1b[2J.toml", warned)}},
        {"run @/caf\xE9.toml", 2, "caf\xEF\xBF\xBD.toml:18:1: unknown key", {file("caf\xE9.toml", kOpening + "x=1\n")}},
        {"run --json @/caf\xE9.toml", 0, "", {file("caf\xE9.toml", kOpening)}, {}, "caf\xEF\xBF\xBD.toml\""},
        {"batch @/fur.csv", 2, "fur.csv:2:55: row 1: key \"description\"", {fur}, {}, ",f\xEF\xBF\xBDr,"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(++n) + ": " + c.args);
        ScratchDir scratch("hostile-" + std::to_string(n));
        const fs::path dir = scratch / "files";
        auto here = [&](std::string s) {
            for (std::size_t at; (at = s.find('@')) != std::string::npos;)
                s.replace(at, 1, dir.string());
            return s;
        };
        fs::create_directories(dir / "out");
        fs::create_directories(dir / "r");
        for (const auto& [name, text] : base)
            write_file(dir / name, text);
        for (const Prepare& p : c.setup)
            p(dir);
        std::vector<std::string> args;
        std::string input = "/dev/null";
        std::istringstream words(c.args);
        for (std::string a; words >> a;) {
            std::replace(a.begin(), a.end(), '~', ' ');
            (a.starts_with('<') ? input : args.emplace_back()) = here(a.substr(a.starts_with('<')));
        }
        const std::map<std::string, Entry> before = files_in(dir);
        ProgramRun r = run_program(TX14_CLI, args, scratch.path, input);
        unsetenv("SOURCE_DATE_EPOCH");

        EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
        EXPECT_TRUE(c.message.ends_with('\n') ? r.err == here(c.message)
                                              : r.err.find(here(c.message)) != std::string::npos)
            << r.err;
        EXPECT_TRUE(r.err.find_first_of("\x1b\x07") == std::string::npos && r.err.find("\xC2\x9B") == std::string::npos)
            << r.err;
        EXPECT_FALSE(fs::exists("-")) << "standard output written as a file";
        EXPECT_NE(r.out.find(c.shows), std::string::npos) << r.out.substr(0, 300);
        EXPECT_TRUE(c.exit_code != 2 || c.message.find(": row ") != std::string::npos || r.out.empty()) << r.out;
        std::map<std::string, Entry> after = files_in(dir);
        for (const auto& [name, was] : before)
            EXPECT_TRUE(after.contains(name)) << name << " lost";
        for (const auto& [name, now] : after) {
            const auto was = before.find(name);
            if (c.outputs.contains(name)) {
                EXPECT_FALSE(now.link || (was != before.end() && now.bytes == was->second.bytes)) << name;
                EXPECT_TRUE(was == before.end() || was->second.link || now.mode == was->second.mode) << name;
            } else {
                EXPECT_TRUE(was != before.end() && now == was->second) << name << " changed or added";
            }
        }
        for (const std::string& name : c.outputs)
            EXPECT_TRUE(after.contains(name)) << name << " not written";
    }
}

}  // namespace
