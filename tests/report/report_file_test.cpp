// The report file: reports appended whole, earlier content kept, however
// many writers share the file, and nothing written where the run cannot
// open or may not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/test_support.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14::test;

// File mode: the name and a report unit other than 0.
HostItem sent_to(HostItem item, const fs::path& path, float unit = 6)
{
    item.file(path.string());
    item[40] = unit;
    return item;
}

// The report of an item run alone into a file of its own.
std::string report_of(const HostItem& item)
{
    const fs::path path = scratch_file("single_report.txt");
    tx14::Context ctx;
    sent_to(item, path).run(ctx);
    return read_file(path);
}

// The exit status of a child process that ended normally, or -1.
int status_of(pid_t child)
{
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A report goes out whole by one write on a descriptor opened for
// appending, so two processes appending 1000 reports each to a file of
// binary bytes without a final line break leave every earlier byte, then
// exactly the 2000 reports one after another, none interleaved with
// another, none torn and none lost.
TEST(ReportFile, TwoProcessesAppendingAtOnceKeepEveryByteAndInterleaveNoReport)
{
    constexpr int kItems = 1000;
    const fs::path path = scratch_file("two_writers.txt");
    std::string earlier;
    for (int i = 0; i < 70000; ++i)
        earlier += static_cast<char>((i * 131) % 256);
    write_file(path, earlier += "an unfinished line");
    HostItem writers[2] = {HostItem{}, limpet_coil_item()};
    std::string reports[2];
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        writers[w].text(1, w == 0 ? "WRITER ONE" : "WRITER TWO");
        reports[w] = report_of(writers[w]);
        ASSERT_GE(children[w] = fork(), 0);
        if (children[w] == 0) {
            close(start[1]);
            char c;
            (void)read(start[0], &c, 1);  // both start when the parent closes the pipe
            tx14::Context ctx;
            HostItem item = sent_to(writers[w], path);
            for (int i = 0; i < kItems; ++i)
                item.run(ctx);
            _exit(0);
        }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children)
        ASSERT_EQ(status_of(child), 0);
    const std::string text = read_file(path);
    ASSERT_TRUE(text.starts_with(earlier));
    int whole[2] = {0, 0};
    for (std::size_t at = earlier.size(); at < text.size();) {
        const int w = text.compare(at, reports[0].size(), reports[0]) == 0   ? 0
                      : text.compare(at, reports[1].size(), reports[1]) == 0 ? 1
                                                                             : -1;
        ASSERT_GE(w, 0) << "no whole report at byte " << at;
        ++whole[w];
        at += reports[w].size();
    }
    EXPECT_EQ(whole[0], kItems);
    EXPECT_EQ(whole[1], kItems);
    fs::remove(path);
}

// A report file the run cannot open or may not write: nothing is written or
// captured, and the host's arrays and error count stay as they were.
bool ends_at_once(const fs::path& path, float unit = 6)
{
    HostItem item = sent_to(HostItem{}, path, unit);
    item.set({{16, TX14_MISSING_VALUE}});
    const HostItem before = item;
    tx14::Context ctx;
    item.run(ctx);
    return ctx.captured_lines() == 0 && item.error_count == before.error_count && item.reals == before.reals &&
           item.print_control == 1;
}

// Permission bits do not stop root, so as root the read-only file is tried
// in a child process that has given up its privileges (skipped where it
// cannot).
TEST(ReportFile, AFileThatCannotBeOpenedOrWrittenEndsTheRunAtOnce)
{
    const fs::path negative_unit = scratch_file("negative_unit.txt");
    EXPECT_TRUE(ends_at_once(::testing::TempDir())) << "a folder";
    EXPECT_TRUE(ends_at_once(fs::path(::testing::TempDir()) / "no such folder" / "r.txt"));
    EXPECT_TRUE(ends_at_once(negative_unit, -3));
    EXPECT_FALSE(fs::exists(negative_unit));
    const fs::path path = scratch_file("read_only.txt");
    write_file(path, "earlier report\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    auto run_checked = [&] { return ends_at_once(path) && read_file(path) == "earlier report\n"; };
    if (geteuid() != 0) {
        EXPECT_TRUE(run_checked());
        return;
    }
    constexpr int kCannotDrop = 77;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(setgid(65534) != 0 || setuid(65534) != 0 ? kCannotDrop : run_checked() ? 0 : 1);
    const int status = status_of(child);
    if (status == kCannotDrop)
        GTEST_SKIP() << "running as root and unable to drop privileges";
    EXPECT_EQ(status, 0);
}

}  // namespace
