// tx14 against hostile files and places: what it refuses, with which exit
// code and message, and that nothing the user owns is lost or written
// through a symbolic link on the way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;

const std::string kRows = "kind,code,units,P,T,t,Bn,A,g0s,g1s,hs,Sho,Shg\n"
                          "opening,VIII-1,US,100,300,4,30,60,1,1.5,3,20000,20000\n";
const std::string kKept = "a file the user owns\n";
const std::string kDottedKey = "a" + [] { std::string s; for (int i = 1; i < 40000; ++i) s += ".a"; return s; }() + " = 1\n";

using Prepare = std::function<bool(const fs::path&)>;

Prepare file(const std::string& name, const std::string& text)
{
    return [=](const fs::path& dir) { write_file(dir / name, text); return true; };
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
Prepare device(const char* path) { return [=](const fs::path&) { return fs::exists(path); }; }

struct Case {
    std::vector<std::string> args;  // "@" stands for the case's directory
    int exit_code;
    std::string message;            // part of standard error
    std::vector<Prepare> setup;       // one failing: the platform lacks it, skipped
    std::string input = "/dev/null";
    bool appends_to_kept = false;   // else kept.txt must stay as it was
};

TEST(Tx14Files, HostileFilesAndPlacesAreRefusedAndLoseNothing)
{
    const std::string big = kOpening + "#" + std::string(1 << 20, 'x') + "\n";
    const Case cases[] = {
        {{"run", "@/fifo.toml"}, 2, "fifo.toml: is a FIFO (named pipe), not a regular file", {fifo("fifo.toml")}},
        {{"batch", "@/fifo.csv"}, 2, "fifo.csv: is a FIFO (named pipe), not a regular file", {fifo("fifo.csv")}},
        {{"run", "/dev/zero"}, 2, "/dev/zero: is a device, not a regular file", {device("/dev/zero")}},
        {{"run", "@/u.toml"}, 2, "/dev/zero: is a device", {device("/dev/zero"), file("u.toml", replaced(kOpening, "\"US\"", "\"/dev/zero\""))}},
        {{"run", "@/big.toml"}, 2, "big.toml: is larger than 1 MiB", {file("big.toml", big)}},
        {{"run", "-"}, 2, "-: standard input is larger than 1 MiB", {file("big.toml", big)}, "@/big.toml"},
        {{"run", "-"}, 0, "", {}, "@/item.toml"},
        {{"run", "@/deep.toml"}, 2, "deep.toml:1:128: nested deeper than 64 levels", {file("deep.toml", kDottedKey)}},
        {{"run", "@/deep.toml"}, 2, "deep.toml:1:68: nested deeper than 64 levels",
         {file("deep.toml", "P = " + std::string(100, '[') + std::string(100, ']'))}},
        {{"batch", "@/rows.csv"}, 2, "deep.toml:1:128: row 2: nested deeper than 64 levels",
         {file("deep.toml", kDottedKey), file("rows.csv", kRows + replaced(kRows.substr(kRows.find('\n') + 1), "US", "deep.toml"))}},
        {{"batch", "@/rows.csv"}, 2, "rows.csv:2:19: row 1: key \"P\": 1e400 is out of range",
         {file("rows.csv", replaced(kRows, ",100,", ",1e400,"))}},
        {{"run", "--html", "@/page.html", "@/item.toml"}, 0, "", {link("page.html", "kept.txt")}},
        {{"batch", "--reports", "@/r", "@/rows.csv"}, 0, "", {file("rows.csv", kRows), link("r/row-0001.txt", "kept.txt")}},
        {{"run", "--report", "@/link.txt", "@/item.toml"}, 0, "", {link("link.txt", "kept.txt")}, "/dev/null", true},
        {{"run", "--html", "@/item.toml", "@/item.toml"}, 2, "--html: @/item.toml is the item file; refused", {}},
        {{"run", "--report", "@/link.toml", "@/item.toml"}, 2, "is the item file; refused", {link("link.toml", "item.toml")}},
        {{"run", "--html", "@/item.toml", "-"}, 2, "is the item file; refused", {}, "@/item.toml"},
        {{"run", "--html", "@/kept.txt", "--report", "@/kept.txt", "@/item.toml"}, 2, "is the report file; refused", {}},
        {{"run", "--report", "/dev/full", "@/item.toml"}, 1,
         "/dev/full: the report could not be written whole: No space left on device", {device("/dev/full")}},
        {{"run", "--html", "/dev/full", "@/item.toml"}, 1, "/dev/full: cannot write the HTML page: No space left on device",
         {device("/dev/full")}},
        {{"run", "--report", "@/no-dir/r.txt", "@/item.toml"}, 1, "@/no-dir/r.txt", {}},
        {{"run", "--html", "@/no-dir/p.html", "@/item.toml"}, 1, "@/no-dir/p.html", {}},
        {{"run", "--report", " leading-blank.txt", "@/item.toml"}, 2, "", {}},
        {{"batch", "--reports", "@/r", "@/rows.csv"}, 1, "row-0001.txt: cannot write the report: No space left on device",
         {device("/dev/full"), file("rows.csv", kRows), link("r/row-0001.txt", "/dev/full")}},
    };
    int n = 0;
    for (const Case& c : cases) {
        ScratchDir dir("hostile-" + std::to_string(++n));
        auto here = [&](std::string s) {
            for (std::size_t at; (at = s.find('@')) != std::string::npos;)
                s.replace(at, 1, dir.path.string());
            return s;
        };
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
    ASSERT_EQ(run_program(TX14_CLI, {"run", "--html", (dir / "page.html").string(), (dir / "item.toml").string()},
                          dir.path).exit_code, 0);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "page.html")));
    EXPECT_TRUE(read_file(dir / "page.html").starts_with("<!DOCTYPE html>"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 5) << "no temporary file left";
}

}  // namespace
