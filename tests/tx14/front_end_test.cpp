// The front end's own pieces: code-page conversion, TOML nesting and the
// reuse of a record's fields. (CSV reading otherwise: the batch cases of
// cli_test.cpp.)
#include <gtest/gtest.h>

#include <regex>
#include <tuple>

#include "csv.hpp"
#include "toml_reading.hpp"
#include "txappendix14_text.hpp"

namespace {

using namespace tx14::cli;

// Report bytes as UTF-8: theta or o with stroke for 0xF8, U+FFFD for what
// has no character or would reach a terminal as a control. Back: texts
// without a code, or not UTF-8, refused with the reason.
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

// Every construct counts towards the 64 levels; dots and brackets in
// strings, comments and numbers count nothing. (The limit itself, end to
// end: cli_test.cpp; a text that would exhaust the parser's stack:
// fuzz/fuzz_toml.cpp.)
TEST(Toml, NestingIsMeasuredBeforeParsing)
{
    auto dotted = [](int parts) { return std::regex_replace(std::string(parts, 'k'), std::regex("k(?=k)"), "k."); };
    const std::pair<std::string, bool> cases[] = {
        // text, too deep
        {"[" + dotted(60) + "]\nb.c = {d = [{e.f = 1}]}", true},
        {dotted(64) + " = \"" + dotted(99) + "[[[\"\n# " + dotted(99) + "\nP = 1.5e3\nd = 1979-05-27T07:32:00.5",
         false},
        {"s = '''\n" + dotted(99) + " = 1'''\nt = \"\"\"\\\"\"\"\"\n" + dotted(99) + " = 1", true},
    };
    for (const auto& [text, deep] : cases)
        EXPECT_EQ(too_deep(text, "f.toml").has_value(), deep) << text.substr(0, 60);
}

// One scanner's fields vector taken from record to record: a wide line, a
// narrow one after it (none of the wider one's fields left over), a quoted
// one, and a wider one again; CR before the commas and the LF dropped.
TEST(Csv, RecordsOfChangingWidthShareOneFieldsVector)
{
    const std::string text = "a,b,c,d\r\nx\n\"q,1\",2\ne\r,f,g,h,i\n";
    std::vector<CsvRecord> records;
    Diagnostics diags;
    ASSERT_TRUE(parse_csv(text, "t.csv", records, diags));
    std::vector<std::vector<std::string>> cells;
    for (const CsvRecord& r : records) {
        cells.emplace_back();
        for (const CsvCell& c : r.cells)
            cells.back().push_back(c.text);
    }
    const std::vector<std::vector<std::string>> expected = {
        {"a", "b", "c", "d"}, {"x"}, {"q,1", "2"}, {"e", "f", "g", "h", "i"}};
    EXPECT_EQ(cells, expected);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].line, 4);
    EXPECT_EQ(records[3].cells[4].column, 10);
}

}  // namespace
