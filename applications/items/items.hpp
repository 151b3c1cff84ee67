// The item contract shared by every front end: the keys of each kind of
// item, the unit systems, and the building of the library's real array and
// text fields from given values (conversion, required keys, pipe sizes,
// warnings). Standard library only; no input or output.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tx14::items {

// What a value measures, named after the unit slot that converts it.
// Temperatures use slots 7 (scale) and 8 (offset).
enum class Quantity {
    dimensionless,
    length,       // slot 1: long lengths (coil span)
    force,        // slot 2
    area,         // slot 3
    volume,       // slot 4
    moment,       // slot 5 (from ft-lbf)
    stress,       // slot 6
    temperature,  // slots 7 and 8
    pressure,     // slot 9
    mass,         // slot 10
    density,      // slot 11: weight per unit volume
    diameter,     // slot 21: diameters, radii
    thickness,    // slot 22: thicknesses, allowances, hub lengths
};

std::string_view name_of(Quantity q);
std::optional<Quantity> quantity_named(std::string_view name);
int slot_of(Quantity q);  // 0 for dimensionless

enum class Kind { opening, jacket };

using CodeSet = unsigned;                   // bit n set: required under code selector n
inline constexpr CodeSet kAllCodes = 0x1E;  // selectors 1 to 4

struct NumberKey {
    std::string_view name;  // the engineering symbol
    int element;            // of the real array, from 1
    Quantity quantity;
    std::string_view meaning;
    CodeSet required = 0;
    std::string_view instead = {};  // keys that may stand in when it is required
};

struct TextKey {
    std::string_view name;
    int field;  // of the text-field array, from 1
    std::string_view meaning;
};

struct CodeName {
    std::string_view name;
    int number;
};

struct ResultKey {
    std::string_view name;  // field of the JSON and the batch output
    int element;
    Quantity quantity;
};

struct KindKeys {
    Kind kind;
    std::string_view name;  // value of `kind`
    float kind_element;     // element 200
    int code_element;       // element the code number goes to
    std::span<const NumberKey> numbers;
    std::span<const TextKey> texts;
    std::span<const CodeName> codes;
    std::span<const ResultKey> results;
};

inline constexpr int kRealCount = 200;
inline constexpr int kTextFields = 3;
inline constexpr int kTextWidth = 15;
inline constexpr float kMissingValue = -1.0101f;
inline constexpr int kItemElement = 1;
inline constexpr int kReportUnitElement = 40;
inline constexpr int kKindElement = 200;
inline constexpr std::int64_t kLargestItem = 16777216;  // whole numbers a float holds exactly

// Keys every item has besides those of its kind; DN stands in for NPS.
inline constexpr std::string_view kCommonKeys[] = {"kind", "code", "units", "item"};
inline constexpr std::string_view kDesignationKey = "DN";

std::span<const KindKeys> kinds();
const KindKeys& keys_of(Kind k);
const KindKeys* kind_named(std::string_view name);
const CodeName* code_named(const KindKeys& keys, std::string_view name);
const NumberKey* number_key(const KindKeys& keys, std::string_view name);
const TextKey* text_key(const KindKeys& keys, std::string_view name);

// "kind, code, units, item, material, ..., NPS, DN, ..."
std::string key_list(const KindKeys& keys);
// The key tables as Markdown (README) or plain text (help).
std::string key_tables_markdown();
std::string key_tables_text();

// ---- Unit systems -------------------------------------------------------

inline constexpr int kFactorCount = 22;
inline constexpr int kLabelCount = 23;
inline constexpr int kLabelWidth = 10;

struct UnitSystem {
    std::string name;                             // "US", "SI" or the unit file
    std::array<double, kFactorCount> factors{};   // internal -> display
    std::array<std::string, kLabelCount> labels;  // Windows-1252, at most 10 bytes

    double factor(int slot) const { return factors[static_cast<std::size_t>(slot - 1)]; }

    // An input value v in this system, in internal units: of the float
    // nearest to v / f and its neighbours within 2 ulps, the first whose
    // display equals float(v); else the nearest. Nullopt when out of range.
    std::optional<float> to_internal(Quantity q, double v) const;

    // An internal value as the report shows it (single precision).
    float to_display(Quantity q, float internal) const;

    // The label as the report prints it: leading blanks removed, cut to
    // the width of the library's slot, trailing blanks cut.
    std::string label(Quantity q) const;
    // The whole label of a quantity's slot, blanks trimmed (key tables).
    std::string unit_name(Quantity q) const;

    std::array<float, kFactorCount> host_factors() const;
    std::array<char, kLabelCount * kLabelWidth> host_labels() const;
};

const UnitSystem& us_units();
const UnitSystem& si_units();
const UnitSystem* builtin_units(std::string_view name);  // "US", "SI"
std::string_view slot_meaning(int slot);                 // for unit file comments
std::size_t label_width(int slot);

// The problems of a unit file's contents (22 factors, 23 labels in
// Windows-1252); none when the system is usable.
struct UnitProblem {
    int factor = 0;  // the factor or label it is about (from 1), or 0
    int label = 0;
    std::string message;
};
std::vector<UnitProblem> unit_problems(std::span<const double> factors, std::span<const std::string> labels);

// ---- Building an item ---------------------------------------------------

struct Finding {
    std::string key;      // empty: the item as a whole
    std::string message;  // starts with the key where there is one
};

struct Built {
    std::array<float, kRealCount> reals{};
    std::array<char, kTextFields * kTextWidth> texts{};
    std::vector<Finding> errors;
    std::vector<Finding> warnings;
};

// Collects the values of one item of a kind, code and unit system; each
// call checks its value at once, finish() checks the item as a whole.
class ItemBuilder {
public:
    ItemBuilder(const KindKeys& keys, const CodeName& code, const UnitSystem& units);

    // False with an error when the key is not a number key of the kind.
    bool is_number_key(std::string_view key) const;
    bool is_text_key(std::string_view key) const;

    void item_number(double n);
    void number(std::string_view key, double value);
    void text(std::string_view key, std::string_view cp1252);
    // The same for a key of the builder's kind, found already.
    void number(const NumberKey& key, double value);
    void text(const TextKey& key, std::string_view cp1252);
    Built finish();

private:
    void error(std::string_view key, std::string message);
    void pipe_size();
    void required_keys();
    void input_domain();
    void opening_fits();
    void warnings();
    std::optional<float> given(const NumberKey& k) const;
    std::optional<float> given(std::string_view key) const;

    const KindKeys& keys_;
    const CodeName& code_;
    const UnitSystem& units_;
    const NumberKey* NPS_key_;  // none for a kind without pipe sizes
    Built out_;
    std::uint64_t given_ = 0;         // bit n: a value of keys_.numbers[n] was given
    std::array<double, 64> typed_{};  // value n as given, for messages
    std::uint64_t named_ = 0;         // bit n: keys_.numbers[n] was named, its value taken or refused
    std::optional<double> NPS_, DN_;
};

// The named results of an item in its real array. Before the run each
// element is marked (a NaN no calculation produces); after it, an element
// still marked, or a coil's fillet weld (a coil sizes none), is empty.
void mark_results(const KindKeys& keys, float* reals);
std::array<std::optional<float>, 3> read_results(const KindKeys& keys, const float* reals);

// The valid nominal pipe sizes of a code selector, as a phrase.
std::string valid_sizes(int code);
bool valid_size(int code, double NPS);
std::optional<double> size_of_designation(double DN);

}  // namespace tx14::items
