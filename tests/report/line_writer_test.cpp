// The line writer: capture records, file records, no destination (the
// record layout and the closing lines are the goldens' business).
#include <gtest/gtest.h>

#include <filesystem>

#include "report/report.hpp"
#include "support/test_support.hpp"
#include "txappendix14_items.hpp"

namespace {

using namespace tx14;
using test::captured;

class LineWriter : public ::testing::Test {
protected:
    void SetUp() override { r.reset(); }  // capture mode, printing
    Report r;
};

// A long line is cut to 100 characters and all 120 blanked; without a
// destination (a report file that could not be opened) the buffer is still
// blanked.
TEST_F(LineWriter, BlanksTheBufferWithOrWithoutDestination)
{
    std::string text(120, 'y');
    text[99] = 'z';
    write_line(r, text);
    EXPECT_EQ(captured(r), std::vector<std::string>{std::string(99, 'y') + "z"});
    EXPECT_EQ(text, std::string(120, ' '));
    r.unit = 0;
    assign(r.line, "discarded");
    write_line(r);
    EXPECT_EQ(r.capture.count, 1);
    EXPECT_EQ(last_nonblank(r.line), 0);
}

// The host's capture block holds 500 records: line 501 replaces the last.
TEST_F(LineWriter, Line501ReplacesRecord500)
{
    for (int i = 1; i <= 501; ++i)
        write_text(r, "line " + std::to_string(i));
    ASSERT_EQ(r.capture.count, 500);
    EXPECT_EQ(captured(r)[498], "line 499");
    EXPECT_EQ(captured(r)[499], "line 501");
}

// A store (the typed entry's) keeps every line past the capture block's
// 500, in order with its styles, as it grows; taking the block back leaves
// the store alone.
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
    write_text(r, "to the block");
    ASSERT_EQ(lines.size(), 1201u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, "line " + std::to_string(i + 1));
        EXPECT_EQ(lines[i].styles[4], i % 2 ? 0 : 1) << i;
    }
    EXPECT_EQ(captured(r), std::vector<std::string>{"to the block"});
}

// A file report longer than the report file's buffer: every line reaches
// the file, in order, cut or padded to its record, the style codes after
// column 108 when it has any; nothing is captured.
TEST_F(LineWriter, FileRecordsPastTheBufferWithAndWithoutStyles)
{
    const std::filesystem::path path = test::scratch_file("long_report.txt");
    ASSERT_TRUE(r.file.open(path.string()));
    r.unit = 6;
    std::vector<std::string> expected;
    for (int i = 1; i <= 1200; ++i) {
        const std::string text = "line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 120), 'x');
        i % 2 ? write_text(r, style::kWarning, text) : write_text(r, text);
        const std::string record = " " + text.substr(0, 100);
        expected.push_back(i % 2 ? test::padded(record, 108) + " 0 0 0 0 1 0" : test::padded(record, 101));
    }
    r.file.close();
    EXPECT_EQ(r.file.error(), 0);
    EXPECT_EQ(r.capture.count, 0);
    EXPECT_EQ(test::split_lines(test::read_file(path)), expected);
    std::filesystem::remove(path);
}

TEST(ReportFile, LineBreaksInsideATextStayInsideTheirRecord)
{
    const auto path = test::scratch_file("line_breaks.txt");
    ReportFile file;
    ASSERT_TRUE(file.open(path.string()));
    for (std::string_view t : {" SA-105\n forged steel", "\r\n", " psi\r", "\n", " 16 columns apart\n, then\r"})
        file.write_record(t.data(), t.size());
    file.close();
    EXPECT_EQ(test::read_file(path), " SA-105  forged steel\n  \n psi \n \n 16 columns apart , then \n");
    std::filesystem::remove(path);
}

}  // namespace
