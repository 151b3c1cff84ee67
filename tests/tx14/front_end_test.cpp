// The front end's own pieces: code-page conversion, CSV reading and TOML
// nesting.
#include <gtest/gtest.h>

#include <tuple>

#include "csv.hpp"
#include "toml_reading.hpp"
#include "txappendix14_text.hpp"

namespace {

using namespace tx14::cli;

// Report bytes as UTF-8: theta or o with stroke for 0xF8, U+FFFD for what
// has no character or would reach a terminal as a control. Back: every
// printable byte; texts without a code refused with the reason.
TEST(Cp1252, ReportBytesBecomeUtf8AndBack)
{
    const std::tuple<std::string_view, F8, std::string_view> to_utf8_cases[] = {
        {"(E\xF8)* \xA9", F8::theta, "(E\xCE\xB8)* \xC2\xA9"},
        {"K\xF8ge", F8::o_stroke, "K\xC3\xB8ge"},
        {"\x80\x96\x99", F8::theta, "\xE2\x82\xAC\xE2\x80\x93\xE2\x84\xA2"},  // euro, en dash, trade mark
        {"\x81\x1B[31m\x7F\ttab", F8::theta, "\xEF\xBF\xBD\xEF\xBF\xBD[31m\xEF\xBF\xBD\ttab"},  // undefined, controls
    };
    for (const auto& [bytes, f8, utf8] : to_utf8_cases)
        EXPECT_EQ(to_utf8(bytes, f8), utf8) << bytes;
    for (int b = 0x20; b <= 0xFF; ++b) {  // but DEL and the bytes without a character
        std::string byte(1, static_cast<char>(b)), problem;
        EXPECT_TRUE(std::string_view("\x7F\x81\x8D\x8F\x90\x9D").find(byte) != std::string::npos ||
                    to_cp1252(to_utf8(byte), problem) == byte)
            << b << " " << problem;
    }
    const std::pair<std::string_view, std::string_view> refused[] = {
        {"\xCE\xB8", "has no Windows-1252 code"}, {"\xC3", "not valid UTF-8"},          // theta; cut short
        {"\xC0\xAF", "not valid UTF-8"},          {"\xED\xA0\x80", "not valid UTF-8"},  // overlong; surrogate
        {"\xF4\x90\x80\x80", "not valid UTF-8"},  {"line\nbreak", "control character"},
        {"\xC2\x9B", "control character"},  // C1
    };
    for (const auto& [utf8, reason] : refused) {
        std::string problem;
        EXPECT_TRUE(!to_cp1252(utf8, problem) && problem.find(reason) != std::string::npos) << utf8 << ": " << problem;
    }
}

// Quoted cells, and the positions after a line break inside one.
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
}

// 64 levels pass, 65 do not, whatever builds them; dots and brackets in
// strings, comments and numbers count nothing.
TEST(Toml, NestingIsMeasuredBeforeParsing)
{
    auto dotted = [](int parts) {
        std::string k = "k";
        while (--parts > 0)
            k += ".k";
        return k;
    };
    const std::pair<std::string, bool> cases[] = {
        // text, too deep
        {dotted(64) + " = 1", false},
        {dotted(65) + " = 1", true},
        {"[" + dotted(63) + "]\nx = 1", false},
        {"x = " + std::string(63, '[') + std::string(63, ']'), false},
        {"x = " + std::string(64, '['), true},
        {"[" + dotted(60) + "]\nb.c = {d = [{e.f = 1}]}", true},
        {dotted(64) + " = \"" + dotted(99) + "[[[\"\n# " + dotted(99) + "\nP = 1.5e3\nd = 1979-05-27T07:32:00.5",
         false},
        {"s = '''\n" + dotted(99) + " = 1'''\nt = \"\"\"\\\"\"\"\"\n" + dotted(99) + " = 1", true},
    };
    for (const auto& [text, deep] : cases)
        EXPECT_EQ(too_deep(text, "f.toml").has_value(), deep) << text.substr(0, 60);
}

}  // namespace
