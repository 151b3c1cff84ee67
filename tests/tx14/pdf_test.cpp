// tx14 --pdf with a stand-in for the browser: found in PATH, printing to a
// file or standard output, given a file URL that survives any directory
// name, and stopped with everything it left when it hangs or tx14 is
// interrupted. (The real browser and the printed sheet: the browser tests.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "run_program.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;

// Notes its process id and URL, then prints a small PDF; with
// TX14_TEST_HANG=1 it first waits for a child that sleeps for ten minutes.
constexpr const char* kStandIn = R"(#!/bin/sh
echo $$ >> "$TX14_TEST_PIDS"
for a; do case $a in --print-to-pdf=*) out=${a#--print-to-pdf=} ;; esac; url=$a; done
printf '%s' "$url" > "$TX14_TEST_PIDS.url"
if [ "$TX14_TEST_HANG" = 1 ]; then sleep 600 & echo $! >> "$TX14_TEST_PIDS"; wait; fi
printf '%%PDF-1.4 stand-in\n' > "$out"
)";
const std::string kPrinted = "%PDF-1.4 stand-in\n";

class Tx14Pdf : public ::testing::Test {
protected:
    ScratchDir dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    const fs::path tmp = dir / "tmp #?%41";  // what a file URL must encode
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";

    void SetUp() override
    {
        fs::create_directories(dir / "bin");
        fs::create_directories(tmp);
        write_file(dir / "bin" / "stand-in-browser", kStandIn);
        fs::permissions(dir / "bin" / "stand-in-browser", fs::perms::owner_all);
        write_file(dir / "item.toml", kOpening);
        setenv("PATH", ((dir / "bin").string() + ":" + path).c_str(), 1);
        setenv("TX14_CHROMIUM", "stand-in-browser", 1);
        setenv("TMPDIR", tmp.c_str(), 1);
        setenv("TX14_TEST_PIDS", (dir / "pids").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", path.c_str(), 1);
        for (const char* name : {"TX14_CHROMIUM", "TMPDIR", "TX14_TEST_PIDS", "TX14_TEST_HANG"})
            unsetenv(name);
    }

    ProgramRun tx14(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"run", (dir / "item.toml").string()});
        return run_program(TX14_CLI, args, dir.path);
    }

    // Nothing left in the temporary directory, and every process the
    // stand-in noted gone (or a zombie waiting for init) within two seconds.
    void expect_nothing_left()
    {
        EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path();
        std::vector<std::string> pids = split_lines(read_file(dir / "pids"));
        EXPECT_FALSE(pids.empty());
        for (const std::string& pid : pids) {
            auto running = [&] {
                std::string stat = read_file("/proc/" + pid + "/stat");
                return !stat.empty() && stat.substr(stat.rfind(')') + 2, 1) != "Z";
            };
            for (int i = 0; i < 100 && running(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            EXPECT_FALSE(running()) << "process " << pid << " of the browser still runs";
        }
        for (const fs::directory_entry& e : fs::directory_iterator(dir.path))
            EXPECT_FALSE(e.path().filename().string().starts_with(".tx14-")) << e.path();
    }
};

TEST_F(Tx14Pdf, ABrowserNamedWithoutSlashIsFoundInPathAndPrintsToAFileOrStandardOutput)
{
    ProgramRun to_file = tx14({"--pdf", (dir / "sheet.pdf").string()});
    EXPECT_EQ(to_file.exit_code, 0) << to_file.err;
    EXPECT_EQ(read_file(dir / "sheet.pdf"), kPrinted);
    const std::string url = read_file(dir / "pids.url");
    EXPECT_TRUE(url.starts_with("file://" + dir.path.string() + "/tmp%20%23%3F%2541/tx14-sheet-")) << url;
    EXPECT_TRUE(url.ends_with("/sheet.html")) << url;

    ProgramRun to_output = tx14({"--pdf", "-", "--html", (dir / "sheet.html").string()});
    EXPECT_EQ(to_output.exit_code, 0) << to_output.err;
    EXPECT_EQ(to_output.out, kPrinted) << "the PDF in place of the report";
    EXPECT_TRUE(read_file(dir / "sheet.html").starts_with("<!DOCTYPE html>"));
    EXPECT_FALSE(fs::exists(dir / "run" / "-") || fs::exists("-"));
    expect_nothing_left();
}

// Stopped after the timeout (exit 1), or by a signal to tx14, which then
// ends by that signal: either way once the browser and its files are gone.
TEST_F(Tx14Pdf, ABrowserThatNeverReturnsIsStoppedByTheTimeoutOrAnInterrupt)
{
    setenv("TX14_TEST_HANG", "1", 1);
    for (int signal : {0, SIGINT, SIGTERM}) {
        fs::remove(dir / "pids");
        const std::string item = (dir / "item.toml").string(), pdf = (dir / "sheet.pdf").string();
        const char* argv[] = {TX14_CLI,    "run",           item.c_str(),         "--pdf",
                              pdf.c_str(), "--pdf-timeout", signal ? "100" : "1", nullptr};
        posix_spawn_file_actions_t output;
        posix_spawn_file_actions_init(&output);
        posix_spawn_file_actions_addopen(&output, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&output, 2, (dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, TX14_CLI, &output, nullptr, const_cast<char**>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&output);
        for (int i = 0; signal && i < 500 && split_lines(read_file(dir / "pids")).size() < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the browser and its child run
        ASSERT_TRUE(!signal || kill(pid, signal) == 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (signal) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal << ": " << status;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
            EXPECT_NE(
                read_file(dir / "err").find("did not print the PDF within 1 second (--pdf-timeout); it was stopped"),
                std::string::npos)
                << read_file(dir / "err");
        }
        EXPECT_FALSE(fs::exists(dir / "sheet.pdf"));
        expect_nothing_left();
    }
}

}  // namespace
