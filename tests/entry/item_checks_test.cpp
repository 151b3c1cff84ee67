// The item contract: required keys, refused inputs, warnings, pipe sizes,
// sheet texts and the key tables docs/keys.md shows.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "support/test_support.hpp"
#include "txappendix14_items.hpp"

namespace {

using namespace tx14;

using Value = std::pair<const char*, double>;  // a key and its value

// A complete item (US units unless given) with keys changed or added, and one left out.
Item item(const char* kind, const char* code, std::vector<Value> values, std::initializer_list<Value> changed,
          std::string_view left_out, const UnitSystem& units)
{
    Item item;
    item.set("kind", kind).set("code", code).set("units", units.name);
    item.unit_system = std::make_shared<UnitSystem>(units);
    values.insert(values.end(), changed);  // a later value of a key replaces the earlier
    for (const Value& v : values)
        if (v.first != left_out)
            item.set(v.first, v.second);
    return item;
}
Item jacket(const char* code, std::initializer_list<Value> changed = {}, std::string_view left_out = "",
            const UnitSystem& units = us_units())
{
    return item("jacket", code,
                {{"D", 48}, {"ts", 0.5}, {"S", 20000}, {"E", 1}, {"NPS", 3}, {"Tj", 0.3}, {"Pj", 150}, {"Sj", 15000}},
                changed, left_out, units);
}
Item opening(const char* code, std::initializer_list<Value> changed = {}, std::string_view left_out = "",
             const UnitSystem& units = us_units())
{
    return item("opening", code,
                {{"P", 100}, {"t", 4}, {"Bn", 30}, {"A", 60}, {"g0s", 1}, {"g1s", 1.5}, {"hs", 3}, {"Sho", 20000}},
                changed, left_out, units);
}

std::string all(const std::vector<Finding>& findings)
{
    std::string s;
    for (const Finding& f : findings)
        s += f.message + "\n";
    return s;
}

// Items refused before the library runs, each with one error (its start
// given here) in an engineer's words: a missing key with its meaning and
// unit, a pipe size (NPS is a designation in every unit system), a value no
// component can have, a sheet text of more than one line or not UTF-8. And
// items that run, with the ambient allowables (echoed only) and a negative
// jacket pressure warned about, and the pipe size as it ran.
TEST(ItemErrors, EachRefusedWithTheRuleItBreaksOrRunWithItsWarnings)
{
    const UnitSystem& si = si_units();
    const struct {
        Item item;
        const char* error;  // "": the item runs
        const char* warned = "";
        float NPS = -1;  // below 0: not checked
    } cases[] = {
        {jacket("VIII-1", {}, "Pj"), "missing key \"Pj\" (jacket (coil) design pressure, unit psi)"},
        {jacket("EN13445", {}, "NPS"), "missing key \"NPS\""},
        {jacket("EN13445", {{"r", 0.0}}, "NPS"), "missing key \"NPS\""},  // r = 0: a standard pipe
        {opening("VIII-1", {}, "P", si), "missing key \"P\" (internal design pressure, unit MPa): required for code"},
        {jacket("VIII-1", {{"DN", 80}}), "keys \"NPS\" and \"DN\" both given"},
        {jacket("VIII-1", {{"NPS", 76.2}}, "", si),
         "key \"NPS\": 76.2 is a pipe size in mm; NPS is the designation in "
         "every unit system: write NPS = 3 or DN = 80"},
        {jacket("PD5500", {{"NPS", 2.75}}),
         "key \"NPS\": 2.75 is not in the pipe table (2, 2.5, 3, 3.5, 4); give r, "
         "the jacket's formed inside radius, for another size"},
        {jacket("VIII-1", {{"DN", 150}}, "NPS"),
         "key \"DN\": 150 is not a valid pipe size designation for code VIII-1; expected one of 50, 65, 80, 90, 100"},
        {jacket("VIII-2", {{"NPS", 2.5}}),
         "key \"NPS\": 2.5 is not a valid nominal pipe size for code VIII-2; expected 2, 3 or 4"},
        {jacket("VIII-1", {{"E", 85}}),
         "key \"E\": 85 is outside (0, 1]: the joint efficiency is a fraction; write 0.85 for 85 %"},
        {jacket("EN13445", {{"caj", -1e-30}}), "key \"caj\": -1e-30 is negative; a corrosion allowance is 0 or more"},
        {jacket("VIII-1", {{"S", 0}}), "key \"S\": 0 is not above 0; an allowable stress is greater than 0"},
        // R = 0.5 (G - Bn - 2 ca) [- (g1n - ca)] with G = 58.25 for A = 60, g0s = 1, ca = 0.125.
        {opening("VIII-1", {{"Bn", 59}, {"ca", 0.125}}),
         "key \"Bn\": the opening does not fit inside the shell: R = 0.5 (G - Bn - 2 ca) = -0.5 in. is not above 0"},
        {opening("VIII-2", {{"ca", 0.125}, {"g0n", 10}, {"g1n", 20}, {"hn", 3}}),
         "key \"Bn\": the opening and its nozzle hub do not fit inside the shell: R = 0.5 (G - Bn - 2 ca) - (g1n - ca) "
         "= -5.875 in. is not above 0"},
        {jacket("VIII-1").set("vessel", "tag \xE2\x80\xAE-101"), "key \"vessel\": "},  // a right-to-left override
        {jacket("VIII-1").set("vessel", "\xC3("), "key \"vessel\": "},                 // cut short
        {jacket("VIII-1", {}, "", si), "", "", 3},
        {jacket("VIII-1", {{"DN", 80}}, "NPS", si), "", "", 3},
        {jacket("EN13445", {{"NPS", 1.5}, {"r", 1.0}}), "", "", 1.5f},  // a formed coil: the library sizes it from r
        {jacket("PD5500", {}, "E"), ""},                                // a coil does not use E
        {jacket("VIII-1", {{"Pj", -5}}), "", "Pj"},
        {jacket("VIII-2", {{"Sa", 0}, {"Sja", -1}}), "", "SaSja"},
        {jacket("VIII-1", {{"D", 200}, {"ts", 2.5}}), ""},  // outside the charts: the library's verdict says so
        {opening("VIII-2"), ""},
        {opening("VIII-1", {{"Bn", 57.9}, {"ca", 0.125}}), ""},  // R just above 0
    };
    for (const auto& c : cases) {
        const Outcome o = analyse(c.item);
        const std::string errors = all(o.errors);
        EXPECT_EQ(errors.substr(0, std::strlen(c.error)), c.error) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), *c.error ? 1 : 0) << errors;
        std::string keys;
        for (const Finding& w : o.warnings)
            keys += w.key;
        EXPECT_TRUE(*c.error || keys == c.warned) << all(o.warnings);
        EXPECT_TRUE(c.NPS < 0 || o.given("NPS") == c.NPS) << o.given("NPS").value_or(-1);
    }
}

// A key is found by its whole name: names that share a key's length, first,
// middle and last bytes, or its length's low byte, are other keys.
TEST(ItemErrors, KeysFoundByTheirWholeName)
{
    std::string caj_alike(259, 'x');  // 259 = 256 + 3, beginning with "caj" and its terminating zero
    caj_alike.replace(0, 4, std::string_view("caj", 4));
    caj_alike[129] = 'a', caj_alike[258] = 'j';
    for (const std::string& name : {caj_alike, std::string("Tjbcket"), std::string("ExxPCore"), std::string("Tjacke"),
                                    std::string("Tjackett"), std::string(), std::string("nps"), std::string("Sja ")}) {
        const Outcome o = analyse(jacket("VIII-1").set(name, 1.0));
        EXPECT_TRUE(o.errors.size() == 1 && o.errors[0].key == name && o.errors[0].message.starts_with("unknown key "))
            << name << ": " << all(o.errors);
    }
}

// A text key's value in Windows-1252 at every length up to 16 bytes, with
// one character of another code at each position or none: printable ASCII
// stays as it is, the other character is converted, 16 bytes are refused.
TEST(ItemErrors, TextKeysInWindows1252AtEveryPosition)
{
    for (std::size_t n = 1; n <= 16; ++n)
        for (std::size_t at = 0; at <= n; ++at) {  // at == n: printable ASCII throughout
            std::string utf8(n, 'A'), cp1252(n, 'A');
            if (at < n) {
                utf8.replace(at, 1, "\xC3\xA9");
                cp1252[at] = '\xE9';
            }
            const Outcome o = analyse(jacket("VIII-1").set("material", utf8));
            EXPECT_TRUE(n > 15 ? o.errors.size() == 1 && o.errors[0].key == "material"
                               : o.errors.empty() && o.text("material") == cp1252)
                << n << " " << at << ": " << all(o.errors);
        }
}

// The sheet texts: one line of UTF-8 up to 200 characters (the limits as
// the command line meets them: tests/tx14; refusals: the table above), kept
// for the sheet and never seen by the analysis.
TEST(SheetTexts, OneLineKeptForTheSheetAlone)
{
    std::string theta200;
    for (int i = 0; i < 200; ++i)
        theta200 += "\xCE\xB8";
    const Outcome plain = analyse(jacket("VIII-1")), o = analyse(jacket("VIII-1").set("vessel", theta200));
    EXPECT_TRUE(o.errors.empty() && o.sheet_text("vessel") == theta200) << all(o.errors);
    ASSERT_EQ(o.report.size(), plain.report.size());
    for (std::size_t i = 0; i < o.report.size(); ++i)
        EXPECT_EQ(o.report[i].text, plain.report[i].text);
    EXPECT_NE(outcome_json(o).find("\"vessel\":"), std::string::npos);
}

TEST(KeyTables, TheDocumentShowsTheGeneratedTables)
{
    EXPECT_NE(test::read_file(TX14_KEYS_DOCUMENT).find(key_tables_markdown()), std::string::npos)
        << "paste the output of `tx14 keys --markdown` into docs/keys.md";
}

}  // namespace
