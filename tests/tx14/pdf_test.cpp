// tx14 --pdf with a stand-in for the browser: found in PATH, printing to a
// file or standard output, given a file URL that survives any directory
// name, and stopped with everything it left when it hangs or tx14 is
// interrupted. (The real browser and the printed sheet: the browser tests.)
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;
using namespace std::chrono_literals;

// Notes its process id, its parent's and its URL, then prints a small PDF;
// with TX14_TEST_HANG=1 it first waits for a child that sleeps for ten minutes.
constexpr const char* kStandIn = R"(#!/bin/sh
echo $$ >> "$TX14_TEST_PIDS"; echo $PPID > "$TX14_TEST_PIDS.parent"
for a; do case $a in --print-to-pdf=*) out=${a#--print-to-pdf=} ;; esac; url=$a; done
printf '%s' "$url" > "$TX14_TEST_PIDS.url"
if [ "$TX14_TEST_HANG" = 1 ]; then sleep 600 & echo $! >> "$TX14_TEST_PIDS"; wait; fi
printf '%%PDF-1.4 stand-in\n' > "$out"
)";

TEST(Tx14Pdf, ABrowserFoundInPathPrintsAndIsStoppedByTheTimeoutOrAnInterrupt)
{
    ScratchDir dir("pdf");
    const fs::path tmp = dir / "tmp #?%41";  // what a file URL must encode
    const std::string kPrinted = "%PDF-1.4 stand-in\n";
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    const std::string item = (dir / "item.toml").string(), pdf = (dir / "sheet.pdf").string();
    fs::create_directories(tmp);
    write_file(dir / "stand-in-browser", kStandIn);
    fs::permissions(dir / "stand-in-browser", fs::perms::owner_all);
    write_file(item, kOpening);
    setenv("PATH", (dir.path.string() + ":" + path).c_str(), 1);
    setenv("TX14_CHROMIUM", "stand-in-browser", 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    setenv("TX14_TEST_PIDS", (dir / "pids").c_str(), 1);
    // Nothing left in the temporary directory or beside the outputs, and every
    // process the stand-in noted gone (or a zombie waiting for init) within two seconds.
    auto expect_nothing_left = [&] {
        EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path();
        const std::vector<std::string> pids = split_lines(read_file(dir / "pids"));
        EXPECT_FALSE(pids.empty());
        for (const std::string& pid : pids) {
            auto running = [&] {
                std::string stat = read_file("/proc/" + pid + "/stat");
                return !stat.empty() && stat.substr(stat.rfind(')') + 2, 1) != "Z";
            };
            for (int i = 0; i < 100 && running(); ++i)
                std::this_thread::sleep_for(20ms);
            EXPECT_FALSE(running()) << "process " << pid << " of the browser still runs";
        }
        for (const fs::directory_entry& e : fs::directory_iterator(dir.path))
            EXPECT_FALSE(e.path().filename().string().starts_with(".tx14-")) << e.path();
    };

    const ProgramRun to_file = run_program(TX14_CLI, {"run", item, "--pdf", pdf}, dir.path);
    EXPECT_EQ(std::tuple(to_file.exit_code, read_file(pdf)), std::tuple(0, kPrinted)) << to_file.err;
    const std::string url = read_file(dir / "pids.url");
    EXPECT_TRUE(url.starts_with("file://" + dir.path.string() + "/tmp%20%23%3F%2541/tx14-sheet-") &&
                url.ends_with("/sheet.html"))
        << url;
    const ProgramRun to_output = run_program(TX14_CLI, {"run", item, "--pdf", "-"}, dir.path);
    EXPECT_EQ(std::tuple(to_output.exit_code, to_output.out), std::tuple(0, kPrinted)) << to_output.err;
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
        ProgramRun r =
            run_program(TX14_CLI, {"run", item, "--pdf", pdf, "--pdf-timeout", signal ? "100" : "1"}, dir.path);
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

}  // namespace
