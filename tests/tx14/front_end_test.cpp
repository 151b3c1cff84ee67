// The front end's own pieces: code-page conversion, CSV reading, TOML
// nesting, and the report records of the library's two modes as tx14 reads
// them.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <tuple>

#include "csv.hpp"
#include "item.hpp"
#include "run_program.hpp"
#include "toml_reading.hpp"
#include "txappendix14_text.hpp"

namespace {

using namespace tx14::cli;
using tx14::test::ScratchDir;
namespace fs = std::filesystem;

TEST(Cp1252, ReportBytesBecomeUtf8AndBack)
{
    struct Case {
        std::string_view bytes;
        F8 f8;
        std::string_view utf8;
    } cases[] = {
        {"Copyright \xA9 2026", F8::theta, "Copyright \xC2\xA9 2026"},
        {"(E\xF8)*", F8::theta, "(E\xCE\xB8)*"},                              // theta in the report texts
        {"K\xF8ge", F8::o_stroke, "K\xC3\xB8ge"},                             // a name: o with stroke
        {"\x80\x96\x99", F8::theta, "\xE2\x82\xAC\xE2\x80\x93\xE2\x84\xA2"},  // euro, en dash, trade mark
        {"a\x81"
         "b",
         F8::theta,
         "a\xEF\xBF\xBD"
         "b"},                                                        // undefined byte
        {"\x1B[31m\x7F", F8::theta, "\xEF\xBF\xBD[31m\xEF\xBF\xBD"},  // no control reaches a terminal
        {"tab\tkept", F8::theta, "tab\tkept"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(to_utf8(c.bytes, c.f8), c.utf8) << c.bytes;
    for (int b = 0x20; b <= 0xFF; ++b) {  // every printable byte survives the round trip
        std::string byte(1, static_cast<char>(b)), problem;
        if (b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) {
            EXPECT_EQ(to_cp1252(to_utf8(byte), problem), byte) << b << " " << problem;
        }
    }
}

TEST(Cp1252, TextsWithoutACodeAreRefused)
{
    struct Case {
        std::string_view utf8;
        std::string_view problem;
    } cases[] = {
        {"\xCE\xB8", "has no Windows-1252 code"},  // theta itself
        {"\xC3", "not valid UTF-8"},               // cut short
        {"\xC0\xAF", "not valid UTF-8"},           // overlong
        {"\xED\xA0\x80", "not valid UTF-8"},       // surrogate
        {"\xF4\x90\x80\x80", "not valid UTF-8"},   // above U+10FFFF
        {"line\nbreak", "control character"},
        {"\xC2\x9B", "control character"},  // C1 control
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_FALSE(to_cp1252(c.utf8, problem)) << c.utf8;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

// Plain cells' positions: the batch tests' messages. Here quoted cells, and
// the positions after a line break inside one.
TEST(Csv, QuotedCellsAndPositionsAfterThem)
{
    std::vector<CsvRecord> records;
    Diagnostics diags;
    ASSERT_TRUE(parse_csv("a,\"c,\"\"d\"\"\"\r\n\r\n\"multi\nline\",,x\n", "f.csv", records, diags));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].cells[1].text, "c,\"d\"");
    const CsvCell& x = records[1].cells[2];
    EXPECT_EQ(std::tuple(records[1].cells[0].text, records[1].line, x.text, x.line, x.column),
              std::tuple(std::string("multi\nline"), 3, std::string("x"), 4, 8));
    for (std::string_view bad : {"a,\"b", "a,\"b\"c\n"})
        EXPECT_FALSE(parse_csv(bad, "f.csv", records, diags)) << bad;
}

// The depth found without parsing: 64 levels pass, 65 do not, whatever
// builds them; dots and brackets in strings, comments and numbers count
// nothing.
TEST(Toml, NestingIsMeasuredBeforeParsing)
{
    auto dotted = [](int parts) {
        std::string k = "k";
        while (--parts > 0)
            k += ".k";
        return k;
    };
    auto nested = [](int levels, char open, char close) {
        return std::string(levels, open) + std::string(levels, close);
    };
    const std::pair<std::string, bool> cases[] = {
        // text, too deep
        {dotted(64) + " = 1", false},
        {dotted(65) + " = 1", true},
        {"[" + dotted(63) + "]\nx = 1", false},
        {"[" + dotted(64) + "]\nx = 1", true},
        {"[[" + dotted(63) + "]]", false},
        {"[[" + dotted(64) + "]]", true},
        {"x = " + nested(63, '[', ']'), false},
        {"x = " + nested(64, '[', ']'), true},
        {"[a]\nb.c = {d = [{e.f = 1}]}", false},
        {"[" + dotted(60) + "]\nb.c = {d = [{e.f = 1}]}", true},
        {dotted(64) + " = \"" + dotted(99) + "[[[\"\n# " + dotted(99) + "\nP = 1.5e3\nd = 1979-05-27T07:32:00.5",
         false},
        {"s = '''\n" + dotted(99) + " = 1'''\nt = \"\"\"\\\"\"\"\"\n" + dotted(99) + " = 1", true},
    };
    for (const auto& [text, deep] : cases)
        EXPECT_EQ(too_deep(text, "f.toml").has_value(), deep) << text.substr(0, 60);
}

// The typed entry's file mode appends the report its capture gives: the
// same texts and style codes in the file's records (column 1 blank, the
// text in 2-101, the codes in 109-120 of a styled record).
TEST(Records, FileModeAndCaptureModeGiveTheSameLines)
{
    ScratchDir dir("records");
    Diagnostics diags;
    UnitCatalog units;
    for (const char* kind : {"opening-si", "jacket-appendix-ee"}) {
        auto item = read_item_file(fs::path(TX14_EXAMPLES_DIR) / (std::string(kind) + ".toml"), units, diags);
        ASSERT_TRUE(item);
        tx14::Context ctx;
        const tx14::Outcome captured = ctx.analyse(item->item);
        tx14::Options to_file;
        to_file.report_file = (dir / (std::string(kind) + ".txt")).string();
        ASSERT_EQ(ctx.analyse(item->item, to_file).report_file_error, 0);
        const std::vector<std::string> records = tx14::test::split_lines(tx14::test::read_file(to_file.report_file));
        ASSERT_EQ(records.size(), captured.report.size()) << kind;
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::string text = records[i].substr(1, 100);
            text.erase(text.find_last_not_of(' ') + 1);
            EXPECT_EQ(text, captured.report[i].text) << kind << " line " << i;
            std::string codes;
            for (int style : captured.report[i].styles)
                codes += (style < 10 ? " " : "") + std::to_string(style);
            EXPECT_EQ(records[i].size() == 120 ? records[i].substr(108) : " 0 0 0 0 0 0", codes) << kind << i;
        }
    }
}

}  // namespace
