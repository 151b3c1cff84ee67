// The tx14 program end to end, through the built binary: unit files it
// prints read back; batches in order whatever the threads, in bounded
// memory, a bad row named while the others run; --pdf with a stand-in
// browser; and every way it refuses or fails. (The verdicts, the examples
// and colour: verdict_test.py; the verified reports from the golden items:
// python/tests/test_against_tx14.py.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/test_support.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;
using namespace std::chrono_literals;
using S = const std::string&;
constexpr auto npos = std::string::npos;

// The worked large opening as an item file (17 lines).
const std::string kOpening =
    "kind = \"opening\"\ncode = \"VIII-1\"\nunits = \"US\"\nitem = 7\ndescription = \"Head\"\n"
    "material = \"SA-105\"\nP = 100.0\nT = 300.0\nt = 4.0\nBn = 30.0\nA = 60.0\ng0s = 1.0\n"
    "g1s = 1.5\nhs = 3.0\nca = 0.125\nSho = 20000.0\nShg = 20000.0\n";

// The built tx14 run with arguments and standard input from a file: its exit
// code (minus the signal that ended it; -1000: not run), standard output and
// standard error, kept in `scratch` meanwhile.
struct ProgramRun {
    int exit_code;
    std::string out, err;
};
ProgramRun run_tx14(const std::vector<std::string>& args, const fs::path& scratch, const fs::path& input = "/dev/null")
{
    const fs::path out = scratch / "stdout", err = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv{const_cast<char*>(TX14_CLI)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    int status = 0;
    const bool ran =
        posix_spawn(&pid, TX14_CLI, &actions, nullptr, argv.data(), environ) == 0 && waitpid(pid, &status, 0) == pid;
    posix_spawn_file_actions_destroy(&actions);
    return {ran ? WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status) : -1000, read_file(out), read_file(err)};
}

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

// A test's own directory, below the system's temporary directory.
class Tx14 : public ::testing::Test {
protected:
    const fs::path dir = fs::temp_directory_path() / ("tx14-cli-" + std::to_string(getpid()));
    void SetUp() override { fs::remove_all(dir), fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    ProgramRun tx14(const std::vector<std::string>& args) { return run_tx14(args, dir); }
    std::string item_file(S name, S text)
    {
        write_file(dir / name, text);
        return (dir / name).string();
    }
};

// A unit file tx14 prints reads back: beside an item it gives the preset's
// report and results; a label with a quote and a backslash survives.
TEST_F(Tx14, UnitFilesItPrintsReadBack)
{
    auto results = [&](S units) {  // and what follows them in the JSON: values, checks, report
        const std::string out = tx14({"run", "--json", item_file("i.toml", replaced(kOpening, "US", units))}).out;
        return out.substr(out.find("\"results\""));
    };
    for (std::string preset : {"US", "SI"}) {
        write_file(dir / "u.toml", tx14({"units", preset}).out);
        EXPECT_EQ(results(preset), results("u.toml")) << preset;
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
    const std::string info = "[sheet]\nproject = \"Plant 7\"\nrevision = \"C\"\n";
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
    const std::string file = (dir / "items.csv").string(), out = (dir / "out").string();
    ProgramRun r =
        tx14({"batch", "--jobs", "3", "--reports", out, "--html", out, "--sheet-info", item_file("i", info), file});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, file + ":6:28: row 5: key \"P\" expects a number, found a text\n" + file +
                         ":8:1: row 7: missing key \"units\": expected \"US\", \"SI\" or a unit file\n");
    std::vector<std::string> rows = split_lines(r.out);
    ASSERT_EQ(rows.size(), 13u) << r.out;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = std::to_string(10000 + n).replace(0, 1, "out/row-");
        const std::string row = rows[static_cast<std::size_t>(n)], sheet = read_file(dir / (name + ".html"));
        const bool bad = n == 5 || n == 7, plant = sheet.find("<td>Plant 7</td>") != npos;
        EXPECT_TRUE(row.starts_with(std::to_string(n) + "," + std::to_string(n) + ",")) << row;
        EXPECT_EQ(row.find(",bad row,") != npos, bad) << row;
        EXPECT_EQ(fs::exists(dir / (name + ".txt")), !bad) << name;
        EXPECT_EQ(plant && sheet.find(n == 1 ? "<td>D</td>" : "<td>C</td>") != npos, !bad) << name;
    }
    // A note, the reasons of an item not analysed, the governing check of one not acceptable.
    EXPECT_TRUE(rows[2].ends_with(",,The opening Bn = 20 in. is less than half the shell outside diameter A = 60 in.: "
                                  "Appendix 14 is meant for larger openings.") &&
                rows[3].find(",not analysed,") != npos && rows[3].ends_with("the stresses with them.\",") &&
                rows[4].find(",not acceptable,cylinder_pressure,") != npos)
        << r.out;
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

// A thread builds each of its rows into an item kept from row to row: a row
// gives what it gives alone whatever the rows before it in that place (a
// coil after an opening in a unit file, an opening in US units after a
// coil, a cell unquoted).
TEST_F(Tx14, BatchRowsTakeNothingFromTheRowsBefore)
{
    write_file(dir / "u.toml", tx14({"units", "SI"}).out);
    const std::string rows[] = {batch_row(1, "u.toml"), batch_row(4),
                                replaced(batch_row(2), ",SA-105,", ",\"SA-105 \"\"B\"\"\",")};
    std::string csv = kBatchHeader;
    for (int n = 0; n < 33; ++n)  // each place of the 8 rows a thread takes at a time sees all three
        csv += rows[n % 3];
    ProgramRun r = tx14({"batch", "--jobs", "1", item_file("items.csv", csv)});
    const std::vector<std::string> lines = split_lines(r.out);
    ASSERT_EQ(lines.size(), 34u) << r.err;
    EXPECT_NE(lines[1].find(",mm,"), npos) << lines[1];
    auto results = [](const std::string& row) { return row.substr(row.find(',', row.find(',') + 1)); };
    for (std::size_t n = 4; n < lines.size(); ++n)
        EXPECT_EQ(results(lines[n]), results(lines[(n - 1) % 3 + 1])) << "row " << n;
}

// Notes its process id and its parent's, then prints a small PDF; with
// TX14_TEST_HANG=1 it first waits for a child that sleeps for ten minutes.
// (The real browser, the file URL and the printed sheet: tests/sheet.)
constexpr const char* kStandIn = R"(#!/bin/sh
echo $$ >> "$TX14_TEST_PIDS"; echo $PPID > "$TX14_TEST_PIDS.parent"
for a; do case $a in --print-to-pdf=*) out=${a#--print-to-pdf=} ;; esac; done
if [ "$TX14_TEST_HANG" = 1 ]; then sleep 600 & echo $! >> "$TX14_TEST_PIDS"; wait; fi
printf '%%PDF-1.4 stand-in\n' > "$out"
)";

TEST_F(Tx14, PdfFromABrowserFoundInPathWhichIsStoppedByTheTimeoutOrAnInterrupt)
{
    const fs::path tmp = dir / "tmp";
    const std::string printed = "%PDF-1.4 stand-in\n", path = std::getenv("PATH") ? std::getenv("PATH") : "/bin";
    const std::string item = item_file("item.toml", kOpening), pdf = (dir / "sheet.pdf").string();
    fs::create_directories(tmp);
    fs::permissions(item_file("stand-in-browser", kStandIn), fs::perms::owner_all);
    setenv("PATH", (dir.string() + ":" + path).c_str(), 1);
    setenv("TX14_CHROMIUM", "stand-in-browser", 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    setenv("TX14_TEST_PIDS", (dir / "pids").c_str(), 1);
    // Nothing left in the temporary directory or beside the outputs, and every
    // process the stand-in noted gone (or a zombie waiting for init) within two seconds.
    auto expect_nothing_left = [&] {
        EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path();
        for (const std::string& pid : split_lines(read_file(dir / "pids"))) {
            auto running = [&] {
                std::string stat = read_file("/proc/" + pid + "/stat");
                return !stat.empty() && stat.substr(stat.rfind(')') + 2, 1) != "Z";
            };
            for (int i = 0; i < 100 && running(); ++i)
                std::this_thread::sleep_for(20ms);
            EXPECT_FALSE(running()) << "process " << pid << " of the browser still runs";
        }
        for (const fs::directory_entry& e : fs::directory_iterator(dir))  // but what the runs kept
            EXPECT_FALSE(e.path().filename().string().starts_with(".tx14-")) << e.path();
    };

    for (const std::string& to : {pdf, std::string("-")}) {  // a file, standard output
        const ProgramRun r = tx14({"run", item, "--pdf", to});
        EXPECT_EQ(std::tuple(r.exit_code, to == "-" ? r.out : read_file(pdf)), std::tuple(0, printed)) << r.err;
    }
    expect_nothing_left();

    // Stopped after the timeout (exit 1), or by a signal to tx14, which then
    // ends by that signal: either way once the browser and its files are gone.
    fs::remove(pdf);
    setenv("TX14_TEST_HANG", "1", 1);
    for (int signal : {0, SIGINT, SIGTERM}) {
        fs::remove(dir / "pids");
        std::thread interrupt([&] {  // once the browser and its child run
            for (int i = 0; signal && i < 500 && split_lines(read_file(dir / "pids")).size() < 2; ++i)
                std::this_thread::sleep_for(20ms);
            EXPECT_TRUE(!signal || kill(std::stoi(read_file(dir / "pids.parent")), signal) == 0);
        });
        ProgramRun r = tx14({"run", item, "--pdf", pdf, "--pdf-timeout", signal ? "100" : "1"});
        interrupt.join();
        EXPECT_EQ(r.exit_code, signal ? -signal : 1) << "signal " << signal;
        EXPECT_TRUE(signal || r.err.ends_with("within 1 second (--pdf-timeout); it was stopped\n")) << r.err;
        EXPECT_FALSE(fs::exists(pdf));
        expect_nothing_left();
    }
    setenv("PATH", path.c_str(), 1);
    for (const char* name : {"TX14_CHROMIUM", "TMPDIR", "TX14_TEST_PIDS", "TX14_TEST_HANG"})
        unsetenv(name);
}

// Every way tx14 refuses or fails, each with its exit code and message: bad
// item, unit, batch and sheet-info files, several items (the most serious
// code wins), help and usage errors, hostile files, places and names. No
// control character reaches the terminal, a refused run prints nothing, and
// every file of the user's directory stays as it was but the outputs the case
// names (a link under an output's name replaced, not written through;
// permissions kept; no temporary file left).
const std::string kRows =
    "kind,code,units,P,T,t,Bn,A,g0s,g1s,hs,Sho,Shg\n"
    "opening,VIII-1,US,100,300,4,30,60,1,1.5,3,20000,20000\n";

// What a case needs in its directory.
using Prepare = std::function<void(const fs::path&)>;
Prepare file(S name, S text, fs::perms mode = fs::perms(0644))
{
    return [=](const fs::path& dir) { write_file(dir / name, text), fs::permissions(dir / name, mode); };
}
Prepare link(S name, S to)
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

// Every name below `dir` but directories: whether it is a link, its target
// or its bytes, its permissions.
using Entry = std::tuple<bool, std::string, fs::perms>;
std::map<std::string, Entry> files_in(const fs::path& dir)
{
    std::map<std::string, Entry> files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir)) {
        const bool link = e.is_symlink();
        const std::string bytes = link ? fs::read_symlink(e).string() : e.is_regular_file() ? read_file(e) : "";
        if (link || !e.is_directory())
            files[e.path().lexically_relative(dir).string()] = {link, bytes, e.symlink_status().permissions()};
    }
    return files;
}

TEST_F(Tx14, EveryRefusalHasItsExitCodeAndMessageAndLosesNothing)
{
    const std::string units = read_file(fs::path(TX14_EXAMPLES_DIR) / "units-bar.toml");
    const std::string big = kOpening + "#" + std::string(1 << 20, 'x') + "\n", kind = "kind = \"opening\"\n";
    const std::string factors = "factors = [1,1,1,1,1,1,1,0,1,1,1,1,1,1,1,1,1,1,1,1,1,1]\n";
    const std::string labels = "labels = ['','','','','','','','','','','','','','','','','','','','','','','']\n";
    const std::string single = "the value in internal units is out of the single-precision range\n";
    const std::string warned = replaced(kOpening, "Shg = 20000.0", "Shg = 0.0"), c1 = "\\u009b31m.toml";
    const std::string fatal = replaced(kOpening, "g1s = 1.5", "g1s = 0.5");
    const std::string esc_key = kind + "\"\\u001b]0;PWNED\\u0007\\u001b[2J\" = 1\n";
    const std::string r2_message = ":16: row 2: units \"r/row-0002.txt\": the unit file @/r/row-0002.txt is the";
    const Prepare deep = file("deep.toml", "P = " + std::string(40000, '[')), index = file("out/index.html", kRows);
    const Prepare fifo = [](const fs::path& dir) { ASSERT_EQ(mkfifo((dir / "fifo.toml").c_str(), 0600), 0); };
    const Prepare full = link("r/row-0001.txt", "/dev/full");
    const Prepare clash = [](const fs::path& dir) { fs::create_directory(dir / "out/row-0001.html"); };
    const Prepare same = [](const fs::path& dir) { fs::create_hard_link(dir / "o.csv", dir / "out/row-0001.txt"); };
    const Prepare epoch = [](const fs::path&) { setenv("SOURCE_DATE_EPOCH", "99999999999999999", 1); };
    const Prepare r2 = file("r2.csv", kRows + replaced(kRows.substr(kRows.find('\n') + 1), ",US,", ",r/row-0002.txt,"));
    const Prepare fur = file("fur.csv", replaced(replaced(kRows, "Shg\n", "Shg,description\n"), "0\n", "0,f\xFCr\n"));
    // A file refused: where and why.
    auto item = [](S text, S message) { return Case{"run @/i.toml", 2, "@/i.toml" + message, {file("i.toml", text)}}; };
    auto batch = [](S text, S message, S shows = "") {
        return Case{"batch @/b.csv", 2, "@/b.csv" + message, {file("b.csv", text)}, {}, shows};
    };
    auto unit_file = [](S text, S message) {
        return Case{"run @/bar.toml", 2, "@/units.toml" + message, {file("units.toml", text)}};
    };
    auto info = [](S text, S message) {
        return Case{"batch @/rows.csv --html @/out --sheet-info @/s", 2, "@/s" + message, {file("s", text)}};
    };
    // In every case's directory.
    const std::pair<const char*, std::string> base[] = {
        {"item.toml", kOpening}, {"bar.toml", replaced(kOpening, "US", "units.toml")},
        {"units.toml", units},   {"rows.csv", kRows},
        {"o.csv", kRows},        {"kept.txt", "a file the user owns\n"},
        {"warned.toml", warned}, {"thin.toml", replaced(kOpening, "t = 4.0", "t = 1.5")},
        {"fatal.toml", fatal},   {"m.toml", kind}};
    const Case cases[] = {
        // Item files: line, column and what was expected.
        item(kOpening + "Pj = 3.0\n", ":18:1: unknown key \"Pj\" for an opening item (did you mean \"P\"?)"),
        item(kOpening + "hn = \"long\"\n", ":18:1: key \"hn\" expects a number, found a text"),
        item(replaced(kOpening, "SA-105", "SA-105 Grade 70N"), ":6:1: key \"material\": text longer than 15"),
        item(replaced(kOpening, "Head", "Head \xCE\xB8"), ":5:1: key \"description\": the character \"\xCE\xB8\""),
        item(kOpening + "[nozzle]\ng0n = 1.0\n", ":18:2: unknown key \"nozzle\""),
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
        // A cell over two lines.
        batch("kind,description,P\r\n\r\nopening,\"a\nb \"\"q\"\"\",1x0\r\n", ":4:10: row 1: key",
              ",\"a\nb \"\"q\"\"\","),
        info("[sheet]\nprojekt = \"P\"\n", ":2:1: unknown key \"projekt\" in [sheet]; valid keys: project, vessel"),
        info("[sheet]\nproject = \"a\\tb\"\n", ":2:1: \"project\": the text holds a control character"),
        {"batch @/rows.csv --sheet-info @/s", 2, "--html", {file("s", "[sheet]\n")}},  // only for sheets
        // Several items: each runs, the most serious exit code wins (2, 3, 4, then 0).
        {"run @/fatal.toml @/m.toml @/item.toml", 2, "@/m.toml: missing key", {}, {}, "ACCEPTABLE"},
        {"run --json @/item.toml @/fatal.toml @/warned.toml", 3, "warned.toml:17:1: warning", {}, {}, "[\"key \\\"Shg"},
        {"run @/item.toml @/thin.toml @/item.toml", 4, ""},
        {"run @/thin.toml @/fatal.toml", 3, ""},
        // Help and usage.
        {"--help", 0, "", {}, {}, "Usage:"},
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
        {"batch @/o.csv --html @/out", 2, "--html output @/out/row-0001.html", {link("out/row-0001.html", "o.csv")}},
        {"batch @/o.csv --reports @/out", 2, "the batch file is the --reports output @/out/row-0001.txt", {same}},
        {"batch @/rows.csv --html @/out --sheet-info @/out/index.html", 2, "sheet-info file is the --html", {index}},
        {"batch @/r2.csv --reports @/r", 2, r2_message, {r2, file("r/row-0002.txt", units)}, {"r/row-0001.txt"}},
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
        const fs::path files = dir / std::to_string(n);  // the user's directory
        auto here = [&](const std::string& s) { return std::regex_replace(s, std::regex("@"), files.string()); };
        fs::create_directories(files / "out");
        fs::create_directories(files / "r");
        for (const auto& [name, text] : base)
            write_file(files / name, text);
        for (const Prepare& p : c.setup)
            p(files);
        std::vector<std::string> args;
        std::string input = "/dev/null";
        std::istringstream words(c.args);
        for (std::string a; words >> a;) {
            std::replace(a.begin(), a.end(), '~', ' ');
            (a.starts_with('<') ? input : args.emplace_back()) = here(a.substr(a.starts_with('<')));
        }
        const std::map<std::string, Entry> before = files_in(files);
        ProgramRun r = run_tx14(args, dir, input);
        unsetenv("SOURCE_DATE_EPOCH");

        const std::string message = here(c.message), both = r.out + r.err;
        EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
        EXPECT_TRUE(message.ends_with('\n') ? r.err == message : r.err.find(message) != npos) << r.err;
        EXPECT_TRUE(both.find_first_of("\x1b\x07") == npos && both.find("\xC2\x9B") == npos) << both.substr(0, 300);
        EXPECT_FALSE(fs::exists("-")) << "standard output written as a file";
        EXPECT_NE(r.out.find(c.shows), npos) << r.out.substr(0, 300);
        EXPECT_TRUE(c.exit_code != 2 || !c.shows.empty() || message.find(": row ") != npos || r.out.empty()) << r.out;
        std::map<std::string, Entry> after = files_in(files);
        for (const auto& [name, was] : before)
            EXPECT_TRUE(after.contains(name)) << name << " lost";
        for (const auto& [name, now] : after) {
            const bool existed = before.contains(name);
            const auto& [link, bytes, mode] = now;
            const auto& [was_link, was_bytes, was_mode] = existed ? before.at(name) : now;
            if (c.outputs.contains(name)) {  // written anew, not through a link; the permissions kept
                EXPECT_FALSE(link || (existed && bytes == was_bytes)) << name;
                EXPECT_TRUE(!existed || was_link || mode == was_mode) << name;
            } else {
                EXPECT_TRUE(existed && now == before.at(name)) << name << " changed or added";
            }
        }
        for (const std::string& name : c.outputs)
            EXPECT_TRUE(after.contains(name)) << name << " not written";
    }
}

}  // namespace
