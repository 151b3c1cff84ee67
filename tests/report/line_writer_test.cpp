// The line writer: capture records, file records, print switch, closing lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "report_test_util.hpp"

using namespace tx14;
using tx14::test::captured_styles;
using tx14::test::captured_text;

namespace {

std::string read_file(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LineWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        r.reset();  // capture mode, printing
    }
    Report r;
};

TEST_F(LineWriter, CaptureRecordLayout)
{
    write_text(r, style::kTitle, "Summary of Results:");
    ASSERT_EQ(r.capture.count, 1);
    std::string rec(r.capture.records[0], kCaptureRecordWidth);
    std::string expected = "    Summary of Results:";
    expected.resize(108, ' ');
    expected += " 1 0 0 0 0 1";
    expected += '\0';
    expected += "    ";
    EXPECT_EQ(rec, expected);
}

TEST_F(LineWriter, BlanksTheBufferAndStylesInEveryCase)
{
    set_line_styles(r, style::kWarning);
    assign(r.line, "discarded");
    r.print = 0;
    write_line(r);
    EXPECT_EQ(r.capture.count, 0);
    EXPECT_EQ(last_nonblank(r.line), 0);
    EXPECT_EQ(r.styles, (LineStyles{}));
    r.print = 1;
    write_line(r);
    EXPECT_EQ(captured_styles(r, 0), " 0 0 0 0 0 0");
}

TEST_F(LineWriter, LongLinesAreCutTo100Characters)
{
    std::string text(120, 'y');
    text[99] = 'z';
    write_line(r, Field(text.data(), text.size()));
    EXPECT_EQ(captured_text(r, 0), std::string(99, 'y') + "z");
    EXPECT_EQ(text, std::string(120, ' '));  // all 120 are blanked
}

TEST_F(LineWriter, Line501ReplacesRecord500)
{
    for (int i = 1; i <= 501; ++i)
        write_text(r, "line " + std::to_string(i));
    EXPECT_EQ(r.capture.count, 500);
    EXPECT_EQ(captured_text(r, 498), "line 499");
    EXPECT_EQ(captured_text(r, 499), "line 501");
}

TEST_F(LineWriter, StyleThatDoesNotFitPrintsStars)
{
    set_line_styles(r, LineStyles{100, -5, 0, 0, 0, 1});
    write_text(r, "x");
    EXPECT_EQ(captured_styles(r, 0), "**-5 0 0 0 1");
}

TEST_F(LineWriter, SpecialCharacterSwitchFollowsTheFlagAtEachStyleChange)
{
    std::int32_t flag = 1;
    r.no_special_flag = &flag;
    set_line_styles(r, style::kCaption);
    write_text(r, "t\xB2");
    EXPECT_EQ(captured_text(r, 0), "t^(2)");
    flag = 0;
    write_text(r, "t\xB2");  // the switch stays on until the next style change
    EXPECT_EQ(captured_text(r, 1), "t^(2)");
    set_line_styles(r, style::kCaption);
    write_text(r, "t\xB2");
    EXPECT_EQ(captured_text(r, 2), "t\xB2");
}

TEST_F(LineWriter, ClosingLinesAreABlankLineAndTheNotice)
{
    write_closing_lines(r);
    ASSERT_EQ(r.capture.count, 2);
    EXPECT_EQ(captured_text(r, 0), "");
    EXPECT_EQ(captured_text(r, 1), "TXAppendix14 Calculation Library, Copyright \xA9 2026");
    EXPECT_EQ(captured_styles(r, 1), " 1 0 0 1 0 2");
    r.print = 0;
    write_closing_lines(r);
    EXPECT_EQ(r.capture.count, 2);
}

TEST_F(LineWriter, FileRecordsWithAndWithoutStyles)
{
    auto path = std::filesystem::path(::testing::TempDir()) / "tx14_line_writer.txt";
    std::filesystem::remove(path);
    ASSERT_TRUE(r.file.open(path.string()));
    r.unit = 7;
    write_text(r, "plain");
    write_text(r, style::kTitle, "title");
    r.print = 0;
    write_text(r, "silent");
    r.file.close();
    std::string plain = " plain" + std::string(95, ' ') + "\n";
    std::string title = " title" + std::string(95, ' ') + std::string(7, ' ') + " 1 0 0 0 0 1\n";
    EXPECT_EQ(read_file(path), plain + title);
    EXPECT_EQ(r.capture.count, 0);  // file mode captures nothing
    std::filesystem::remove(path);
}

}  // namespace
