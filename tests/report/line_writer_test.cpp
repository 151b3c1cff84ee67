// The line writer and the report file: capture records, file records, no
// destination (the record layout and the closing lines are the goldens'
// business); reports appended whole, earlier content kept, however many
// writers share the file, and nothing written where the run cannot open or
// may not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "report/report.hpp"
#include "support/test_support.hpp"
#include "txappendix14_items.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14;
using namespace tx14::test;

class LineWriter : public ::testing::Test {
protected:
    void SetUp() override { r.reset(); }  // capture mode, printing
    Report r;
};

// A store (the typed entry's) keeps every line past the capture block's
// 500, in order with its styles, as it grows; taking the block back leaves
// the store alone, and in the block (the host's, of 500 records) a line is
// cut to 100 characters and line 501 replaces the last.
TEST_F(LineWriter, AStoreKeepsEveryLine)
{
    ReportLines lines;
    r.capture_into(&lines);
    for (int i = 1; i <= 1201; ++i)
        i % 2 ? write_text(r, style::kWarning, "line " + std::to_string(i))
              : write_text(r, "line " + std::to_string(i));
    lines.set_size(static_cast<std::size_t>(r.capture.count));
    r.capture_into(nullptr);
    r.reset();
    for (int i = 1; i <= 501; ++i)
        write_text(r, "to the block " + std::to_string(i) + std::string(100, 'x'));
    ASSERT_EQ(lines.size(), 1201u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, "line " + std::to_string(i + 1));
        EXPECT_EQ(lines[i].styles[4], i % 2 ? 0 : 1) << i;
    }
    const auto text = [&](int i) { return text_of(std::string_view(r.capture.records[i], kCaptureRecordWidth)); };
    EXPECT_EQ(r.capture.count, 500);
    EXPECT_EQ(text(498) + " " + text(499),
              "to the block 499" + std::string(84, 'x') + " to the block 501" + std::string(84, 'x'));
}

// A file report longer than the report file's buffer: every line reaches
// the file, in order, cut or padded to its record, the style codes after
// column 108 when it has any, line breaks inside a text (a material's name)
// blanks in its record; nothing is captured.
TEST_F(LineWriter, FileRecordsPastTheBufferWithAndWithoutStyles)
{
    const std::filesystem::path path = scratch_file("long_report.txt");
    ASSERT_TRUE(r.file.open(path.string()));
    r.unit = 6;
    std::vector<std::string> expected;
    for (int i = 1; i <= 1200; ++i) {
        const std::string text = "line" + std::string(static_cast<std::size_t>(i % 3), i % 2 ? '\n' : '\r') +
                                 std::to_string(i) + std::string(static_cast<std::size_t>(i % 120), 'x');
        i % 2 ? write_text(r, style::kWarning, text) : write_text(r, text);
        std::string record = " " + text.substr(0, 100);
        std::replace(record.begin(), record.end(), '\n', ' ');
        std::replace(record.begin(), record.end(), '\r', ' ');
        expected.push_back(i % 2 ? padded(record, 108) + " 0 0 0 0 1 0" : padded(record, 101));
    }
    r.file.close();
    EXPECT_TRUE(r.file.error() == 0 && r.capture.count == 0);
    EXPECT_EQ(split_lines(read_file(path)), expected);
    std::filesystem::remove(path);
}

// File mode: the name and a report unit other than 0.
HostItem sent_to(HostItem item, const fs::path& path, float unit = 6)
{
    item.file(path.string());
    item[40] = unit;
    return item;
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
    std::string reports[2];  // each run alone into a file of its own
    tx14::Context alone;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        writers[w].text(1, w == 0 ? "WRITER ONE" : "WRITER TWO");
        const fs::path single = scratch_file("single_report.txt");
        sent_to(writers[w], single).run(alone);
        reports[w] = read_file(single);
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
        const int w = text.compare(at, reports[0].size(), reports[0]) == 0 ? 0 : 1;
        ASSERT_EQ(text.compare(at, reports[w].size(), reports[w]), 0) << "no whole report at byte " << at;
        ++whole[w];
        at += reports[w].size();
    }
    EXPECT_TRUE(whole[0] == kItems && whole[1] == kItems) << whole[0] << " and " << whole[1];
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
