// The report file: records appended whole, one line each, earlier content
// kept, whatever the texts hold and however many writers share the file.
#include "report/report_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "jacket/jacket_test_support.hpp"
#include "support/host_item.hpp"

namespace {

namespace fs = std::filesystem;
using tx14::test::HostItem;

std::string read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path fresh_path(const char* name)
{
    fs::path p = fs::path(::testing::TempDir()) / name;
    fs::remove(p);
    return p;
}

void write_file(const fs::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// File mode: the name and a report unit other than 0.
void send_to(HostItem& item, const fs::path& path)
{
    item.file(path.string());
    item.at(40) = 6;
}

// The report of an item run alone into a file of its own.
std::string report_of(HostItem item)
{
    const fs::path path = fresh_path("tx14_single_report.txt");
    send_to(item, path);
    tx14::Context ctx;
    item.run(ctx);
    std::string text = read_file(path);
    fs::remove(path);
    return text;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Earlier content of any kind: binary bytes, NULs, no final line break.
std::string earlier_content()
{
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>((i * 131) % 256);
    return bytes + "an unfinished line";
}

TEST(ReportFile, AppendingKeepsEveryEarlierByte)
{
    const fs::path path = fresh_path("tx14_prefilled.txt");
    const std::string earlier = earlier_content();
    write_file(path, earlier);
    HostItem opening;
    tx14::testing::JacketItem coil = tx14::testing::limpet_coil_item();
    const std::string reports = report_of(opening) + report_of(coil);
    ASSERT_EQ(lines_of(reports).size(), 171u + 44u);    tx14::Context ctx;
    send_to(opening, path);
    opening.run(ctx);
    send_to(coil, path);
    coil.run(ctx);
    EXPECT_EQ(read_file(path), earlier + reports);
    fs::remove(path);
}

TEST(ReportFile, LineBreaksInsideATextStayInsideTheirRecord)
{
    const fs::path path = fresh_path("tx14_line_breaks.txt");
    tx14::ReportFile file;
    ASSERT_TRUE(file.open(path.string()));
    const std::string_view texts[] = {" SA-105\n forged", "\r\n", " psi\r", "\n"};
    for (std::string_view t : texts)
        file.write_record(t.data(), t.size());
    file.close();
    EXPECT_EQ(read_file(path), " SA-105  forged\n  \n psi \n \n");
    fs::remove(path);
}

// Two processes append 1000 reports each to one file at the same time.
// Every record is written whole by one write on a descriptor opened for
// appending, so the file holds exactly the records of the 2000 reports,
// interleaved record by record but none torn and none lost.
TEST(ReportFile, TwoProcessesAppendingAtOnceTearNoRecord)
{
    constexpr int kItems = 1000;
    const fs::path path = fresh_path("tx14_two_writers.txt");
    HostItem writers[2] = {tx14::testing::half_pipe_item(), tx14::testing::limpet_coil_item()};
    writers[0].text(1, "WRITER ONE");
    writers[1].text(1, "WRITER TWO");
    std::vector<std::string> expected;
    for (HostItem& item : writers) {
        const std::vector<std::string> report = lines_of(report_of(item));
        for (int i = 0; i < kItems; ++i)
            expected.insert(expected.end(), report.begin(), report.end());
        send_to(item, path);
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
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    std::vector<std::string> actual = lines_of(text);
    ASSERT_EQ(actual.size(), expected.size());
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(actual == expected) << "records torn, lost or mixed up";
    fs::remove(path);
}

// A report file the run may not write: nothing is written, the host's
// arrays and error count stay as they were. Permission bits do not stop
// root, so as root the run happens in a child process that has given up
// its privileges (skipped where it cannot).
TEST(ReportFile, AFileWithoutWritePermissionEndsTheRunAtOnce)
{
    const fs::path path = fresh_path("tx14_read_only.txt");
    write_file(path, "earlier report\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    auto run_checked = [&]() -> bool {
        HostItem item;
        send_to(item, path);
        item.at(16) = TX14_MISSING_VALUE;
        const HostItem before = item;
        tx14::Context ctx;
        item.run(ctx);
        return ctx.captured_lines() == 0 && item.error_count == before.error_count &&
               item.reals == before.reals && item.print_control == 1 &&
               read_file(path) == "earlier report\n";
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(run_checked());
    } else {
        constexpr int kCannotDrop = 77;
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(kCannotDrop);
            _exit(run_checked() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == kCannotDrop) {
            fs::remove(path);
            GTEST_SKIP() << "running as root and unable to drop privileges";
        }
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    fs::remove(path);
}

}  // namespace
