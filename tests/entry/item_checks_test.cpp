// The item contract: required keys, refused inputs, warnings, pipe sizes,
// value conversion and the key tables docs/keys.md shows.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <variant>

#include "txappendix14_items.hpp"

namespace {

using namespace tx14;

struct Value {
    const char* key;
    double v;
};

Outcome build(const char* code, const std::vector<Value>& values, const UnitSystem& units = us_units(),
              const char* kind = "jacket")
{
    Item item;
    item.set("kind", kind).set("code", code).set("units", units.name);
    item.unit_system = std::make_shared<UnitSystem>(units);
    for (const Value& v : values)
        item.set(v.key, v.v);
    Options options;
    options.report = false;
    return analyse(item, options);
}

std::string all(const std::vector<Finding>& findings)
{
    std::string s;
    for (const Finding& f : findings)
        s += f.message + "\n";
    return s;
}

// Complete items in US units; a case leaves one key out or changes one.
const std::vector<Value> kOpening = {{"P", 100}, {"t", 4},     {"Bn", 30}, {"A", 60},
                                     {"g0s", 1}, {"g1s", 1.5}, {"hs", 3},  {"Sho", 20000}};
std::vector<Value> jacket(std::initializer_list<Value> changed, std::string_view left_out = "")
{
    std::vector<Value> v(changed);
    for (Value d :
         {Value{"D", 48}, {"ts", 0.5}, {"S", 20000}, {"E", 1}, {"NPS", 3}, {"Tj", 0.3}, {"Pj", 150}, {"Sj", 15000}})
        if (d.key != left_out &&
            std::none_of(v.begin(), v.end(), [&](const Value& c) { return d.key == std::string_view(c.key); }))
            v.push_back(d);
    return v;
}

// A missing key is named with its meaning and unit; NPS is a designation in
// every unit system (NPS as it ran; below 0 not checked).
TEST(ItemErrors, MissingKeysAndPipeSizes)
{
    const UnitSystem &us = us_units(), &si = si_units();
    const struct {
        const char* code;
        std::vector<Value> values;
        const UnitSystem& u;
        const char* error;
        float NPS = -1;
    } cases[] = {
        {"VIII-1", jacket({}), us, "", 3},
        {"VIII-1", jacket({}, "Pj"), us, "missing key \"Pj\" (jacket (coil) design pressure, unit psi)"},
        {"VIII-2", jacket({}, "E"), us, "missing key \"E\""},
        {"PD5500", jacket({}, "E"), us, ""},  // a coil does not use E
        {"EN13445", jacket({}, "NPS"), us, "missing key \"NPS\""},
        {"EN13445", jacket({{"r", 1.0}}, "NPS"), us, ""},                     // a formed coil by its radius
        {"EN13445", jacket({{"r", 0.0}}, "NPS"), us, "missing key \"NPS\""},  // r = 0: a standard pipe
        {"VIII-1", jacket({{"NPS", 3}}), si, "", 3},
        {"VIII-1", jacket({{"DN", 80}}, "NPS"), si, "", 3},
        {"VIII-2", jacket({{"DN", 50}}, "NPS"), us, "", 2},
        {"VIII-1", jacket({{"NPS", 76.2}}), si,
         "key \"NPS\": 76.2 is a pipe size in mm; NPS is the designation in "
         "every unit system: write NPS = 3 or DN = 80"},
        {"VIII-1", jacket({{"NPS", 2.75}}), us,
         "key \"NPS\": 2.75 is not in the pipe table (2, 2.5, 3, 3.5, 4); "
         "give r, the jacket's formed inside radius, for another size"},
        {"PD5500", jacket({{"NPS", 6}}), us,
         "key \"NPS\": 6 is not in the pipe table (2, 2.5, 3, 3.5, 4); "
         "give r, the jacket's formed inside radius, for another size"},
        {"EN13445", jacket({{"NPS", 1.5}, {"r", 1.0}}), us, "", 1.5f},  // the library sizes it from r
        {"VIII-1", jacket({{"DN", 150}}, "NPS"), us,
         "key \"DN\": 150 is not a valid pipe size designation for code "
         "VIII-1; expected one of 50, 65, 80, 90, 100"},
        {"VIII-2", jacket({{"NPS", 2.5}}), us,
         "key \"NPS\": 2.5 is not a valid nominal pipe size for code VIII-2; "
         "expected 2, 3 or 4"},
        {"VIII-2", jacket({{"DN", 65}}, "NPS"), us,
         "key \"DN\": 65 is not a valid pipe size designation for code "
         "VIII-2; expected one of 50, 80, 100"},
        {"VIII-1", jacket({{"DN", 80}}), us, "keys \"NPS\" and \"DN\" both given"},
    };
    for (const auto& c : cases) {
        Outcome b = build(c.code, c.values, c.u);
        const std::string errors = all(b.errors);
        EXPECT_EQ(errors.substr(0, std::string_view(c.error).size()), c.error) << c.code << " " << errors;
        if (c.NPS >= 0) {
            EXPECT_EQ(b.given("NPS"), c.NPS) << c.code;
        }
    }
    EXPECT_EQ(all(build("VIII-2", kOpening, us, "opening").errors), "");
    EXPECT_EQ(build("VIII-2", {{"DN", 80}}, us, "opening").errors.at(0).message.substr(0, 16), "unknown key \"DN\"");
    Outcome no_P = build("VIII-1", {{"t", 4}}, si, "opening");
    EXPECT_NE(all(no_P.errors).find("missing key \"P\" (internal design pressure, unit MPa): required for code VIII-1"),
              std::string::npos)
        << all(no_P.errors);
}

// A key is found by its whole name: names that share a key's length, first,
// middle and last bytes, or its length's low byte, are other keys.
TEST(ItemErrors, KeysFoundByTheirWholeName)
{
    std::string caj_alike(259, 'x');  // 259 = 256 + 3, beginning with "caj" and its terminating zero
    caj_alike[0] = 'c', caj_alike[1] = 'a', caj_alike[2] = 'j', caj_alike[3] = '\0';
    caj_alike[129] = 'a', caj_alike[258] = 'j';
    const std::string names[] = {caj_alike, "Tjbcket", "ExxPCore", "Tjacke", "Tjackett", "", "nps", "Sja "};
    Item given;
    given.set("kind", "jacket").set("code", "VIII-1").set("units", "US");
    for (const Value& v : jacket({}))
        given.set(v.key, v.v);
    for (const std::string& name : names) {
        Item item = given;
        item.set(name, 1.0);
        const Outcome o = analyse(item);
        ASSERT_EQ(o.errors.size(), 1u) << name << ": " << all(o.errors);
        EXPECT_EQ(o.errors[0].key, name);
        EXPECT_EQ(o.errors[0].message.substr(0, 12), "unknown key ") << name;
    }
}

// Inputs no component can have are refused before the library runs, with
// the rule in an engineer's words; the ambient allowables (echoed only) and
// a negative jacket pressure are warnings.
TEST(ItemErrors, InputThatCannotExist)
{
    const struct {
        const char* code;
        std::vector<Value> values;
        const char* error;
        const char* kind = "jacket";
    } cases[] = {
        {"VIII-1", jacket({{"E", 85}}),
         "key \"E\": 85 is outside (0, 1]: the joint efficiency is a fraction; write 0.85 for 85 %"},
        {"VIII-2", jacket({{"E", 0}}), "key \"E\": 0 is outside (0, 1]"},
        {"PD5500", jacket({{"E", 1.5}}), "key \"E\": 1.5 is outside (0, 1]"},
        {"VIII-1", jacket({{"ca", -0.2}}), "key \"ca\": -0.2 is negative; a corrosion allowance is 0 or more"},
        {"EN13445", jacket({{"caj", -1e-30}}), "key \"caj\": -1e-30 is negative"},
        {"VIII-2", jacket({{"co", -0.01}}), "key \"co\": -0.01 is negative"},
        {"VIII-1", jacket({{"S", 0}}), "key \"S\": 0 is not above 0; an allowable stress is greater than 0"},
        {"PD5500", jacket({{"Sj", -15000}}), "key \"Sj\": -15000 is not above 0"},
        {"VIII-1",
         {{"P", 100}, {"t", 4}, {"Bn", 30}, {"A", 60}, {"g0s", 1}, {"g1s", 1.5}, {"hs", 3}, {"Sho", 0}},
         "key \"Sho\": 0 is not above 0",
         "opening"},
        // R = 0.5 (G - Bn - 2 ca) [- (g1n - ca)] with G = 58.25 for A = 60, g0s = 1, ca = 0.125.
        {"VIII-1",
         {{"P", 100},
          {"t", 4},
          {"Bn", 59},
          {"A", 60},
          {"g0s", 1},
          {"g1s", 1.5},
          {"hs", 3},
          {"Sho", 20000},
          {"ca", 0.125}},
         "key \"Bn\": the opening does not fit inside the shell: R = 0.5 (G - Bn - 2 ca) = -0.5 in. is not above 0",
         "opening"},
        {"VIII-2",
         {{"P", 100},
          {"t", 4},
          {"Bn", 30},
          {"A", 60},
          {"g0s", 1},
          {"g1s", 1.5},
          {"hs", 3},
          {"Sho", 20000},
          {"ca", 0.125},
          {"g0n", 10},
          {"g1n", 20},
          {"hn", 3}},
         "key \"Bn\": the opening and its nozzle hub do not fit inside the shell: R = 0.5 (G - Bn - 2 ca) - (g1n - ca) "
         "= -5.875 in. is not above 0",
         "opening"},
        {"VIII-1",
         {{"P", 100},
          {"t", 4},
          {"Bn", 57.9},
          {"A", 60},
          {"g0s", 1},
          {"g1s", 1.5},
          {"hs", 3},
          {"Sho", 20000},
          {"ca", 0.125}},
         "",
         "opening"},
    };
    for (const auto& c : cases) {
        Outcome b = build(c.code, c.values, us_units(), c.kind);
        const std::string errors = all(b.errors);
        EXPECT_EQ(errors.substr(0, std::string_view(c.error).size()), c.error) << c.code << " " << errors;
        EXPECT_EQ(b.errors.size(), *c.error ? 1u : 0u) << errors;
    }

    const struct {
        const char* code;
        std::vector<Value> values;
        const char* warned;
    } warnings[] = {
        {"VIII-1", jacket({}), ""},
        {"VIII-1", jacket({{"Pj", -5}}), "Pj"},
        {"VIII-2", jacket({{"Sa", 0}, {"Sja", -1}}), "SaSja"},
        {"VIII-1", jacket({{"D", 200}, {"ts", 2.5}}), ""},  // outside the charts: the library's verdict says so
    };
    for (const auto& c : warnings) {
        Outcome b = build(c.code, c.values);
        EXPECT_EQ(all(b.errors), "");
        std::string keys;
        for (const Finding& w : b.warnings)
            keys += w.key;
        EXPECT_EQ(keys, c.warned) << c.code << " " << all(b.warnings);
    }
}

// The sheet texts: one line of UTF-8 up to 200 characters, kept for the
// sheet and never seen by the analysis.
TEST(SheetTexts, OneLineKeptForTheSheetAlone)
{
    const std::string theta200 = [] {
        std::string s;
        for (int i = 0; i < 200; ++i)
            s += "\xCE\xB8";
        return s;
    }();
    const struct {
        std::variant<double, std::string> value;
        const char* error;
    } cases[] = {
        {std::string("R-101 \xE2\x80\x94 Reaktor M\xC3\xBCller"), ""},
        {theta200, ""},
        {theta200 + "x", "key \"vessel\": text longer than 200 characters (201)"},
        {std::string("line\nbreak"), "key \"vessel\": the text holds a control character"},
        {std::string("tag \xE2\x80\xAE"
                     "101-R"),
         "key \"vessel\": the text holds a control character"},
        {std::string("\xC3("), "key \"vessel\": the text is not valid UTF-8"},
        {3.5, "key \"vessel\" expects a text, found a number"},
    };
    Item given;
    given.set("kind", "jacket").set("code", "VIII-1").set("units", "US");
    for (const Value& v : jacket({}))
        given.set(v.key, v.v);
    const Outcome plain = analyse(given);
    for (const auto& c : cases) {
        Item item = given;
        std::visit([&](const auto& v) { item.set("vessel", v); }, c.value);
        const Outcome o = analyse(item);
        EXPECT_EQ(all(o.errors).substr(0, std::string_view(c.error).size()), c.error) << all(o.errors);
        if (*c.error)
            continue;
        EXPECT_EQ(o.sheet_text("vessel"), std::get<std::string>(c.value));
        ASSERT_EQ(o.report.size(), plain.report.size());
        for (std::size_t i = 0; i < o.report.size(); ++i)
            EXPECT_EQ(o.report[i].text, plain.report[i].text);
        EXPECT_NE(outcome_json(o).find("\"vessel\":"), std::string::npos);
    }
}

// Every number of the examples comes back as typed in SI wherever a float
// within 2 ulps of the quotient gives it back, and within 2 ulps otherwise.
TEST(Conversion, EveryExampleValueRoundTripsInSi)
{
    const std::regex line(R"(^\s*(\w+)\s*=\s*(-?[0-9.]+))");
    int checked = 0;
    for (const auto& file : std::filesystem::directory_iterator(TX14_EXAMPLES_DIR)) {
        if (file.path().extension() != ".toml")
            continue;
        std::ifstream in(file.path());
        for (std::string text; std::getline(in, text);) {
            std::smatch m;
            if (!std::regex_search(text, m, line))
                continue;
            const double v = std::stod(m[2]);
            for (const KindKeys& kind : kinds())
                if (const NumberKey* k = number_key(kind, m[1].str())) {
                    std::optional<float> x = si_units().to_internal(k->quantity, v);
                    ASSERT_TRUE(x);
                    const float typed = static_cast<float>(v);
                    bool reachable = false;  // by a float within 2 ulps of the nearest
                    float near = typed;
                    if (k->quantity == Quantity::temperature)
                        near = static_cast<float>((v - si_units().factor(8)) / si_units().factor(7));
                    else if (k->quantity != Quantity::dimensionless)
                        near = static_cast<float>(v / si_units().factor(slot_of(k->quantity)));
                    for (int i = 0; i < 3; ++i)  // from 2 ulps below
                        near = std::nextafter(near, -INFINITY);
                    for (int i = 0; i < 5; ++i)
                        reachable |= si_units().to_display(k->quantity, near = std::nextafter(near, INFINITY)) == typed;
                    const float shown = si_units().to_display(k->quantity, *x);
                    if (reachable)
                        EXPECT_EQ(shown, typed) << k->name << " = " << v;
                    else
                        EXPECT_LE(std::fabs(shown - typed), 2 * (std::nextafter(typed, INFINITY) - typed))
                            << k->name << " = " << v;
                    ++checked;
                }
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(KeyTables, TheDocumentShowsTheGeneratedTables)
{
    std::ifstream in(TX14_KEYS_DOCUMENT);
    std::string document{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(document.find(key_tables_markdown()), std::string::npos)
        << "paste the output of `tx14 keys --markdown` into docs/keys.md";
}

}  // namespace
