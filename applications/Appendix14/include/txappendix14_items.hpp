// TXAppendix14's typed entry: an item in, an outcome out. An item is a
// kind, a code, a unit system and named numbers and texts, as an item file,
// a CSV row, a Python mapping or a page's form gives them; the entry checks
// it (kind, code, units, keys, required keys, values no component can have),
// runs it and returns everything the run gave: the input errors and
// warnings with the key they concern, the results record and every report
// line. Also the key tables of each kind of item and the unit systems, for
// the help and the forms of the front ends.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "txappendix14.h"
#include "txappendix14_record.hpp"
#include "txappendix14_text.hpp"

namespace tx14 {

// ---- Quantities and unit systems ----------------------------------------

TX_CXX_API std::string_view name_of(Quantity q);
TX_CXX_API int slot_of(Quantity q);  // the unit slot (from 1); 0 for dimensionless

inline constexpr int kFactorCount = 22;
inline constexpr int kLabelCount = 23;
inline constexpr int kLabelWidth = 10;

// A unit system: the 22 conversion factors (internal to display) and 23
// labels (Windows-1252, at most 10 bytes) of the host's interface.
struct TX_CXX_API UnitSystem {
    std::string name;  // "US", "SI" or a unit file's name
    std::array<double, kFactorCount> factors{};
    std::array<std::string, kLabelCount> labels;

    double factor(int slot) const { return factors[static_cast<std::size_t>(slot - 1)]; }

    // An input value v in this system, in internal units: of the float
    // nearest to v / f and its neighbours within 2 ulps, the first whose
    // display equals float(v); else the nearest. Nullopt when out of range.
    std::optional<float> to_internal(Quantity q, double v) const;
    // An internal value as the report shows it (single precision).
    float to_display(Quantity q, float internal) const;
    // The label as the report prints it: leading blanks removed, cut to the
    // width of the library's slot, trailing blanks cut (Windows-1252).
    std::string label(Quantity q) const;
    // The whole label of a quantity's slot, blanks trimmed (key tables).
    std::string unit_name(Quantity q) const;

    std::array<float, kFactorCount> host_factors() const;
    std::array<char, kLabelCount * kLabelWidth> host_labels() const;
};

TX_CXX_API const UnitSystem& us_units();
TX_CXX_API const UnitSystem& si_units();
TX_CXX_API const UnitSystem* builtin_units(std::string_view name);  // "US", "SI"
TX_CXX_API std::string_view slot_meaning(int slot);                 // for unit files

// A problem of a unit file's contents: the factor or label it is about
// (from 1, or 0) and what is wrong.
struct UnitProblem {
    int factor = 0;
    int label = 0;
    std::string message;
};
TX_CXX_API std::vector<UnitProblem> unit_problems(std::span<const double> factors, std::span<const std::string> labels);

// ---- The key tables -----------------------------------------------------

enum class Kind { opening, jacket };

using CodeSet = unsigned;  // bit n set: required under code selector n

struct NumberKey {
    std::string_view name;  // the engineering symbol
    int element;            // of the host's real array, from 1
    Quantity quantity;
    std::string_view meaning;
    CodeSet required = 0;
    std::string_view instead = {};  // keys that may stand in when it is required
};

struct TextKey {
    std::string_view name;
    int field;  // of the host's text fields, from 1
    std::string_view meaning;
};

struct CodeName {
    std::string_view name;
    int number;  // the code selector
};

struct ResultKey {
    std::string_view name;  // of the JSON and batch outputs
    int element;            // of the host's real array
    Quantity quantity;
};

struct KindKeys {
    Kind kind;
    std::string_view name;  // value of `kind`
    std::span<const NumberKey> numbers;
    std::span<const TextKey> texts;
    std::span<const CodeName> codes;
    std::span<const ResultKey> results;
};

// Texts of the calculation sheet's title and approval blocks, for every
// kind of item: UTF-8, one line of at most kSheetTextLength characters.
// The analysis does not see them.
struct SheetKey {
    std::string_view name;
    std::string_view meaning;
};
inline constexpr SheetKey kSheetKeys[] = {
    {"project", "project"},
    {"vessel", "vessel tag"},
    {"drawing", "drawing number"},
    {"revision", "revision of the calculation"},
    {"purpose", "status or purpose (for approval, for construction, ...)"},
    {"prepared_by", "prepared by (name)"},
    {"checked_by", "checked by (name)"},
    {"approved_by", "approved by (name)"},
};
inline constexpr std::size_t kSheetKeyCount = std::size(kSheetKeys);
inline constexpr std::size_t kSheetTextLength = 200;

// Why a text cannot be a sheet text (not UTF-8, more than one line, longer
// than kSheetTextLength characters); nullopt when it can.
TX_CXX_API std::optional<std::string> sheet_text_problem(std::string_view utf8);

// Keys every item has besides those of its kind; DN stands in for NPS.
inline constexpr std::string_view kCommonKeys[] = {"kind", "code", "units", "item"};
inline constexpr std::string_view kDesignationKey = "DN";
inline constexpr std::int64_t kLargestItem = 16777216;  // whole numbers a float holds exactly
inline constexpr std::size_t kTextKeyWidth = 15;        // a text key's value, in Windows-1252 bytes

TX_CXX_API std::span<const KindKeys> kinds();
TX_CXX_API const KindKeys& keys_of(Kind k);
TX_CXX_API const KindKeys* kind_named(std::string_view name);
TX_CXX_API const CodeName* code_named(const KindKeys& keys, std::string_view name);
TX_CXX_API const NumberKey* number_key(const KindKeys& keys, std::string_view name);
TX_CXX_API const TextKey* text_key(const KindKeys& keys, std::string_view name);

// "kind, code, units, item, material, ..., NPS, DN, ..."
TX_CXX_API std::string key_list(const KindKeys& keys);
// The key tables as Markdown (the documents) or plain text (the help).
TX_CXX_API std::string key_tables_markdown();
TX_CXX_API std::string key_tables_text();

// ---- An item and its outcome ---------------------------------------------

// A value of a type the item keys do not take (an array, true or false,
// ...): only its type's name, for the message.
struct OtherType {
    std::string name;  // "an array", "true or false", ...
};

// One `key = value` of an item. A value may be missing (an empty cell, a
// None: the key counts as not given), a number, a text, or a text the key's
// type decides (`untyped`: a CSV cell, a form field: "3.5" for a number key).
struct Entry {
    std::string key;
    std::variant<std::monostate, double, std::string, OtherType> value;
    bool untyped = false;
};

// An item as a front end reads it: every `key = value` in the order given,
// `kind`, `code`, `units` and `item` among them (texts in UTF-8, numbers in
// the item's units). `units` names "US", "SI" or a unit file, whose
// contents the front end reads into `unit_system` (the entry checks them).
struct TX_CXX_API Item {
    std::vector<Entry> entries;
    std::shared_ptr<const UnitSystem> unit_system;

    Item& set(std::string key, double value);
    Item& set(std::string key, std::string text);
    const Entry* find(std::string_view key) const;
};

// What the entry found in an item: the key it concerns (empty: the item as
// a whole; "NPS" may have been given as "DN") and the rule in words.
struct Finding {
    std::string key;
    std::string message;
};

// A report line: its text (Windows-1252, trailing blanks cut) and its six
// style codes (title, underlined, warning headline, note, warning,
// caption).
struct ReportLine {
    std::string_view text;
    std::array<std::int32_t, 6> styles{};
};

// Every report line of a run, however many, kept as the library writes
// them: records of 125 characters (4 blanks, the 100-character line, the
// style codes in columns 109-120). A line's text and styles are read from
// its record when asked for; the texts stay valid until the lines change.
class TX_CXX_API ReportLines {
public:
    static constexpr std::size_t kRecordWidth = TX14_CAPTURE_RECORD_WIDTH;

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    ReportLine operator[](std::size_t i) const;
    void clear() { count_ = 0; }

    class iterator {
    public:
        using value_type = ReportLine;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        iterator(const ReportLines* lines, std::size_t i) : lines_(lines), i_(i) {}
        ReportLine operator*() const { return (*lines_)[i_]; }
        iterator& operator++() { return ++i_, *this; }
        iterator operator++(int) { return {lines_, i_++}; }
        bool operator==(const iterator& o) const { return i_ == o.i_; }

    private:
        const ReportLines* lines_ = nullptr;
        std::size_t i_ = 0;
    };
    iterator begin() const { return {this, 0}; }
    iterator end() const { return {this, count_}; }

    // The library's side: room for at least n records, those written so far
    // kept, and the count written.
    char* room_for(std::size_t n);
    void set_size(std::size_t n) { count_ = n; }

private:
    std::vector<char> records_;
    std::size_t count_ = 0;
};

struct TX_CXX_API Outcome {
    const KindKeys* keys = nullptr;  // the item's kind, once known
    const CodeName* code = nullptr;  // its code, once known
    std::shared_ptr<const UnitSystem> units;
    std::optional<std::int64_t> number;           // `item`
    std::vector<Finding> errors;                  // the item was refused: nothing ran
    std::vector<Finding> warnings;                // it ran, but look again
    int fatal_errors = 0;                         // the library's own input errors: its report says why
    ResultsRecord record;                         // values, checks, reasons, notes, verdict
    ReportLines report;                           // every line, however many
    std::array<std::optional<float>, 3> results;  // the kind's named results, internal units
    int report_file_error = 0;                    // errno of the report file's first failed open, write or close

    // The item as it ran: each number key's value in internal units (by the
    // kind's number keys; none when not given), each text key's value in
    // Windows-1252 (by its text keys; empty when not given).
    std::vector<std::optional<float>> numbers;
    std::vector<std::string> texts;
    // Each sheet text as given (UTF-8, by kSheetKeys); empty when not given.
    std::array<std::string, kSheetKeyCount> sheet;

    bool refused() const { return !errors.empty(); }
    bool ran() const { return keys != nullptr && errors.empty(); }
    std::optional<float> given(std::string_view key) const;
    std::string_view text(std::string_view key) const;
    std::string_view sheet_text(std::string_view key) const;
};

struct Options {
    bool plain = false;       // special characters as plain text (d^(2) for d squared)
    bool report = true;       // keep the report lines
    std::string report_file;  // non-empty: append the native report to this file instead
};

// One value of an item changed, in internal units: a thickness swept.
struct Change {
    std::string_view key;  // a number key of the item's kind
    float internal;
};

// Checks and runs an item on a run state of its own (a Context, of
// txappendix14.hpp, keeps one for many items). Never throws but for want
// of memory.
TX_CXX_API Outcome analyse(const Item& item, const Options& options = {}, const Change* change = nullptr);

// The outcome as JSON (UTF-8; schema: docs/results.schema.json), whole or
// a part of it: the summary (all but the values, checks and report), the
// values (an object), the checks or the report lines (arrays). `input`,
// when given, is written as the "input" member of the whole.
enum class OutcomePart { whole, summary, values, checks, report };
TX_CXX_API std::string outcome_json(const Outcome& o, OutcomePart part = OutcomePart::whole,
                                    std::string_view input = {});

// An item from a JSON object of its keys, as the C interface takes it
// (txappendix14_entry.h); nullopt with the reason when the text is not a
// JSON object.
TX_CXX_API std::optional<Item> item_from_json(std::string_view json, std::string& error);

// The key tables of every kind and the built-in unit systems as JSON (for
// the forms of the front ends).
TX_CXX_API std::string keys_json();

inline constexpr int kSchemaVersion = 3;

}  // namespace tx14
