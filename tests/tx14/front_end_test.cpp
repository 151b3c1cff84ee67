// The front end's own pieces: code-page conversion, unit systems, item
// building, CSV reading, result elements and report records.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <tuple>

#include "analysis.hpp"
#include "cp1252.hpp"
#include "csv.hpp"
#include "item.hpp"
#include "run_program.hpp"
#include "unit_system.hpp"

namespace {

using namespace tx14::cli;
using tx14::test::ScratchDir;
namespace fs = std::filesystem;

TEST(Cp1252, ReportBytesBecomeUtf8AndBack)
{
    struct Case { std::string_view bytes; F8 f8; std::string_view utf8; } cases[] = {
        {"Copyright \xA9 2026", F8::theta, "Copyright \xC2\xA9 2026"},
        {"(E\xF8)*", F8::theta, "(E\xCE\xB8)*"},                  // theta in the report texts
        {"K\xF8ge", F8::o_stroke, "K\xC3\xB8ge"},                 // a name: o with stroke
        {"\x80\x96\x99", F8::theta, "\xE2\x82\xAC\xE2\x80\x93\xE2\x84\xA2"},  // euro, en dash, trade mark
        {"a\x81" "b", F8::theta, "a\xEF\xBF\xBD" "b"},            // undefined byte
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
    struct Case { std::string_view utf8; std::string_view problem; } cases[] = {
        {"\xCE\xB8", "has no Windows-1252 code"},   // theta itself
        {"\xC3", "not valid UTF-8"},                // cut short
        {"\xC0\xAF", "not valid UTF-8"},            // overlong
        {"\xED\xA0\x80", "not valid UTF-8"},        // surrogate
        {"\xF4\x90\x80\x80", "not valid UTF-8"},    // above U+10FFFF
        {"line\nbreak", "control character"},
        {"\xC2\x9B", "control character"},          // C1 control
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_FALSE(to_cp1252(c.utf8, problem)) << c.utf8;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

// An item built from `key = value` pairs, one a line.
std::optional<Item> item_of(const std::vector<std::pair<std::string, std::variant<double, std::string>>>& keys,
                            Diagnostics& diags)
{
    std::vector<Entry> entries;
    for (const auto& [key, value] : keys) {
        entries.push_back(Entry{key, {"item.toml", static_cast<int>(entries.size()) + 1, 1}, OtherType{}});
        std::visit([&](const auto& v) { entries.back().value = v; }, value);
    }
    UnitCatalog units;
    return build_item(entries, "item.toml", ".", units, diags);
}

TEST(Units, SiInputGivesTheInternalValuesOfTheEquivalentUsInput)
{
    const struct { const char* kind; std::string key; double us, si; } cases[] = {  // a key of every quantity
        {"opening", "P", 100, 0.6894757293168361},   {"opening", "T", 300, 148.88888888888889},
        {"opening", "t", 4, 101.6},                  {"opening", "A", 60, 1524},
        {"opening", "Sho", 20000, 137.89514586336722}, {"opening", "T", -40, -40},
        {"opening", "density", 0.283, 7833.41303398748}, {"jacket", "D", 48, 1219.2},
        {"jacket", "Tjacket", 32, 0},                {"jacket", "Pj", 150, 1.0342135939752541},
        {"jacket", "E", 0.85, 0.85},                 {"jacket", "L", 12, 304.8},
    };
    for (const auto& c : cases) {
        Diagnostics diags;
        auto us = item_of({{"kind", c.kind}, {"code", "VIII-1"}, {"units", "US"}, {c.key, c.us}}, diags);
        auto si = item_of({{"kind", c.kind}, {"code", "VIII-1"}, {"units", "SI"}, {c.key, c.si}}, diags);
        ASSERT_TRUE(us && si) << (diags.empty() ? "" : diags[0].message);
        for (int n = 1; n <= kRealCount; ++n)
            EXPECT_NEAR(si->element(n), us->element(n), 2e-7f * std::fabs(us->element(n))) << c.key << " element " << n;
    }
}

TEST(Items, TextsGoToTheirFieldsInWindows1252)
{
    Diagnostics diags;
    auto jacket = item_of({{"kind", "jacket"}, {"code", "PD5500"}, {"units", "US"}, {"material", "SA-516 70"},
                           {"jacket_material", "Cu\xC3\xB8"}, {"description", "Coil 15 chars!!"}}, diags);
    auto opening = item_of({{"kind", "opening"}, {"code", "VIII-1"}, {"units", "US"}, {"material", "SA-105"},
                            {"description", "Top head"}}, diags);
    ASSERT_TRUE(jacket && opening);
    EXPECT_EQ(std::string_view(jacket->texts.data(), 45), "SA-516 70      Cu\xF8            Coil 15 chars!!");
    EXPECT_EQ(std::string_view(opening->texts.data(), 30), "SA-105         Top head       ");
}

TEST(Csv, CellsWithQuotesAndTheirPositions)
{
    std::vector<CsvRecord> records;
    Diagnostics diags;
    ASSERT_TRUE(parse_csv("a, b ,\"c,\"\"d\"\"\"\r\n\r\n\"multi\nline\",,x\n", "f.csv", records, diags));
    using Cell = std::tuple<std::string, int, int>;  // text, line, column
    std::vector<std::vector<Cell>> cells;
    for (const CsvRecord& record : records) {
        cells.emplace_back();
        for (const auto& c : record.cells)
            cells.back().emplace_back(c.text, c.line, c.column);
    }
    EXPECT_EQ(cells, (std::vector<std::vector<Cell>>{{{"a", 1, 1}, {"b", 1, 3}, {"c,\"d\"", 1, 7}},
                                                     {{"multi\nline", 3, 1}, {"", 4, 7}, {"x", 4, 8}}}));
    EXPECT_EQ(records[1].line, 3);
    for (std::string_view bad : {"a,\"b", "a,\"b\"c\n"}) {
        records.clear();
        EXPECT_FALSE(parse_csv(bad, "f.csv", records, diags)) << bad;
    }
    EXPECT_EQ(csv_field("SA-106, B"), "\"SA-106, B\"");
    EXPECT_EQ(csv_field("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csv_field("plain"), "plain");
}

TEST(Results, ComeFromTheElementsOfTheKindAndOnlyWhenWritten)
{
    struct Case {
        Kind kind;
        std::array<int, 3> elements;
    } cases[] = {{Kind::opening, {30, 31, 32}}, {Kind::jacket, {196, 197, 198}}};
    for (const Case& c : cases) {
        std::array<float, kRealCount> reals{};
        mark_results(keys_of(c.kind), reals.data());
        for (int e : c.elements)
            EXPECT_TRUE(std::isnan(reals[static_cast<std::size_t>(e - 1)])) << e;
        EXPECT_EQ(read_results(keys_of(c.kind), reals.data()), (std::array<std::optional<float>, 3>{}));
        reals[static_cast<std::size_t>(c.elements[0] - 1)] = 0.0f;  // a result of 0 is a result
        reals[static_cast<std::size_t>(c.elements[2] - 1)] = std::nanf("");  // so is a NaN the library wrote
        auto r = read_results(keys_of(c.kind), reals.data());
        EXPECT_EQ(r[0], 0.0f);
        EXPECT_FALSE(r[1]);
        ASSERT_TRUE(r[2]);
        EXPECT_TRUE(std::isnan(*r[2]));
    }
}

TEST(Records, FileModeAndCaptureModeGiveTheSameLines)
{
    ScratchDir dir("records");
    Diagnostics diags;
    for (const char* kind : {"opening", "jacket"}) {
        auto item = item_of({{"kind", kind}, {"code", "VIII-1"}, {"units", "SI"}, {"P", 1.0}, {"description", "x"}}, diags);
        ASSERT_TRUE(item);
        tx14::Context ctx;
        Outcome captured = analyse(ctx, *item);
        fs::path file = dir / (std::string(kind) + ".txt");
        append_report(ctx, *item, file.string());
        std::vector<ReportLine> from_file;
        for (const std::string& record : tx14::test::split_lines(tx14::test::read_file(file)))
            from_file.push_back(parse_file_record(record));
        ASSERT_EQ(from_file.size(), captured.lines.size()) << kind;
        for (std::size_t i = 0; i < from_file.size(); ++i) {
            EXPECT_EQ(from_file[i].text, captured.lines[i].text) << kind << " line " << i;
            EXPECT_EQ(from_file[i].styles, captured.lines[i].styles) << kind << " line " << i;
        }
    }
}

}  // namespace
