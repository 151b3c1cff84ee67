// The report file: reports appended whole, one record a line, earlier
// content kept, however many writers share the file, and nothing written
// where the run cannot open or may not write.
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
HostItem sent_to(HostItem item, const fs::path& path)
{
    item.file(path.string());
    item[40] = 6;
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

TEST(ReportFile, AppendingKeepsEveryEarlierByte)
{
    const fs::path path = scratch_file("prefilled.txt");
    std::string earlier;  // binary bytes, NULs, no final line break
    for (int i = 0; i < 70000; ++i)
        earlier += static_cast<char>((i * 131) % 256);
    earlier += "an unfinished line";
    write_file(path, earlier);
    const HostItem opening;
    const HostItem coil = limpet_coil_item();
    const std::string reports = report_of(opening) + report_of(coil);
    ASSERT_EQ(split_lines(reports).size(), 171u + 44u);
    tx14::Context ctx;
    sent_to(opening, path).run(ctx);
    sent_to(coil, path).run(ctx);
    EXPECT_EQ(read_file(path), earlier + reports);
    fs::remove(path);
}

// A report goes out whole by one write on a descriptor opened for
// appending, so two processes appending 1000 reports each leave exactly the
// 2000 reports one after another, none interleaved with another, none torn
// and none lost.
TEST(ReportFile, TwoProcessesAppendingAtOnceInterleaveNoReport)
{
    constexpr int kItems = 1000;
    const fs::path path = scratch_file("two_writers.txt");
    HostItem writers[2] = {half_pipe_item(), limpet_coil_item()};
    writers[0].text(1, "WRITER ONE");
    writers[1].text(1, "WRITER TWO");
    std::string reports[2];
    for (int w = 0; w < 2; ++w) {
        reports[w] = report_of(writers[w]);
        writers[w] = sent_to(writers[w], path);
    }
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            close(start[1]);
            char c;
            (void)read(start[0], &c, 1);  // both start when the parent closes the pipe
            tx14::Context ctx;
            for (int i = 0; i < kItems; ++i)
                writers[w].run(ctx);
            _exit(0);
        }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string text = read_file(path);
    int whole[2] = {0, 0};
    for (std::size_t at = 0; at < text.size();) {
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
    HostItem item = sent_to(HostItem{}, path);
    item.set({{16, TX14_MISSING_VALUE}, {40, unit}});
    const HostItem before = item;
    tx14::Context ctx;
    item.run(ctx);
    return ctx.captured_lines() == 0 && item.error_count == before.error_count && item.reals == before.reals &&
           item.print_control == 1;
}

TEST(ReportFile, AFileThatCannotBeOpenedEndsTheRunAtOnce)
{
    const fs::path negative_unit = scratch_file("negative_unit.txt");
    EXPECT_TRUE(ends_at_once(::testing::TempDir())) << "a folder";
    EXPECT_TRUE(ends_at_once(fs::path(::testing::TempDir()) / "no such folder" / "r.txt"));
    EXPECT_TRUE(ends_at_once(negative_unit, -3));
    EXPECT_FALSE(fs::exists(negative_unit));
}

// Permission bits do not stop root, so as root the run happens in a child
// process that has given up its privileges (skipped where it cannot).
TEST(ReportFile, AFileWithoutWritePermissionEndsTheRunAtOnce)
{
    const fs::path path = scratch_file("read_only.txt");
    write_file(path, "earlier report\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    auto run_checked = [&] { return ends_at_once(path) && read_file(path) == "earlier report\n"; };
    if (geteuid() != 0) {
        EXPECT_TRUE(run_checked());
        return;
    }
    constexpr int kCannotDrop = 77;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(setgid(65534) != 0 || setuid(65534) != 0 ? kCannotDrop : run_checked() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannotDrop)
        GTEST_SKIP() << "running as root and unable to drop privileges";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
