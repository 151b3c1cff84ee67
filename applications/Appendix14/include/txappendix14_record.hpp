// TXAppendix14's results record: every value an item's run computed, as a
// number with its quantity, the code's acceptance criteria as checks, the
// reasons an item could not be judged, the notes a reader must know, and the
// verdict. Fixed capacity, filled once at the end of a run without
// allocating; read from an Outcome or a Context.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

#include "txappendix14.h"

namespace tx14 {

struct UnitRecord;

// What a value measures, named after the unit slots of an item file
// (temperatures use slots 7, the scale, and 8, the offset); d of a flange is
// a volume, e of a flange per thickness unit.
enum class Quantity : std::uint8_t {
    dimensionless,
    length,       // slot 1: long lengths (coil span)
    force,        // slot 2
    area,         // slot 3
    volume,       // slot 4
    moment,       // slot 5 (from ft-lbf); shown as M/12 on result lines
    stress,       // slot 6
    temperature,  // slots 7 and 8
    pressure,     // slot 9
    mass,         // slot 10
    density,      // slot 11: weight per unit volume
    diameter,     // slot 21: diameters, radii
    thickness,    // slot 22: thicknesses, allowances, hub lengths
    per_thickness,
};
inline constexpr int kQuantities = 14;

TX_CXX_API const char* quantity_name(Quantity q);

struct RecordedValue {
    const char* key;    // stable: the report's symbol
    const char* label;  // in words
    Quantity quantity;
    float value;   // internal units
    bool applies;  // false: it belongs to a check that does not apply
};

struct RecordedCheck {
    const char* key;
    const char* label;
    Quantity quantity;
    bool at_least;       // value >= limit; otherwise value <= limit
    float value, limit;  // internal units, signed
    bool applicable;     // false: the check does not apply to this item
    bool passes;
    // value/limit (<=) or limit/value (>=); +inf when the divisor is not
    // above 0, NaN when value or limit is not finite.
    float utilization;
    // The code's paragraph, figure or equation the report names for the
    // criterion ("App. EE-1, Eq. (2)", "4.11.6"); null when it names none.
    const char* reference;
};

// A reason the item could not be judged, or a note the reader must know:
// a stable code, and a text with the numbers and names it shows. The text
// (Windows-1252) is composed only when it is read, so that a run nobody
// reads the words of does not pay for them. In the text, "{0}" is the
// number x[0], "{0d}", "{0t}", "{0p}" and "{0s}" the same as a diameter,
// thickness, pressure or stress in the run's display unit, "{w}" the
// words (", "-separated) and "{m}" the first word as a report message.
struct RecordedNote {
    static constexpr int kTextWidth = 240;
    static constexpr int kWords = 6;
    const char* code = nullptr;
    const char* text = nullptr;
    std::array<float, 4> x{};                 // internal units
    std::array<const char*, kWords> words{};  // static texts
    int more_words = 0;                       // named beyond those
};

enum class Verdict : std::int32_t { not_analysed = 0, acceptable = 1, not_acceptable = 2 };

// "acceptable", "not acceptable", "not analysed".
constexpr const char* verdict_name(Verdict v)
{
    return v == Verdict::acceptable ? "acceptable" : v == Verdict::not_acceptable ? "not acceptable" : "not analysed";
}

struct TX_CXX_API ResultsRecord {
    static constexpr int kValueCapacity = 64;
    static constexpr int kCheckCapacity = 16;
    static constexpr int kReasonCapacity = 20;  // every fatal input error of an item fits
    static constexpr int kNoteCapacity = 8;
    static constexpr int kUnitWidth = 16;

    int value_count = 0;
    int check_count = 0;
    int reason_count = 0;
    int note_count = 0;
    std::array<RecordedValue, kValueCapacity> values{};
    std::array<RecordedCheck, kCheckCapacity> checks{};
    std::array<RecordedNote, kReasonCapacity> reasons{};
    std::array<RecordedNote, kNoteCapacity> notes{};
    Verdict verdict = Verdict::not_analysed;
    int governing = -1;  // index of the governing check, -1 for none

    // Display factor (a moment is shown as M/12 times it) and unit label (Windows-1252,
    // NUL-terminated) of each quantity, as the report shows it.
    std::array<float, kQuantities> factors{};
    float temperature_offset = 0;
    std::array<std::array<char, kUnitWidth>, kQuantities> units{};

    void clear()
    {
        value_count = check_count = reason_count = note_count = 0;
        verdict = Verdict::not_analysed;
        governing = -1;
    }
    // Takes another record's values, checks, reasons, notes, verdict and
    // units: the entries in use only.
    void assign(const ResultsRecord& from);
    // The composed text of reason or note i, valid until the next reading
    // of the same one or the next run.
    const char* reason_text(int i) const;
    const char* note_text(int i) const;
    void add(const char* key, const char* label, Quantity q, float value, bool applies = true);
    // A criterion of the code: value against limit by relation ("<=" or
    // ">="), where the report names it (`reference`). `fails`, when 0 or 1,
    // is the outcome of a rule the analysis wrote once for its report too
    // (a check not finite fails whatever); -1 holds the value to the limit
    // by the relation. Past the capacity a check is written where it is
    // never read.
    RecordedCheck& check(const char* key, const char* label, Quantity q, float value, const char* relation, float limit,
                         bool applicable = true, int fails = -1);
    // A reason or a note: its code, its text and the numbers the text shows.
    RecordedNote& reason(const char* code, const char* text, std::initializer_list<float> x = {});
    RecordedNote& note(const char* code, const char* text, std::initializer_list<float> x = {});
    // One reason naming each input, of those the method uses, that is not
    // finite: the verdict would rest on it.
    struct Input {
        const char* name;
        float value;
    };
    void inputs_used(std::initializer_list<Input> inputs);

    // The display units of the run: set first, so that texts can show
    // values in them.
    void set_units(const UnitRecord& u);
    // The reasons every record shares (values that are not finite), the
    // verdict and the governing check.
    void finish();

    float display(Quantity q, float value) const;
    const char* unit(Quantity q) const { return units[static_cast<int>(q)].data(); }

private:
    using Texts = std::array<char, RecordedNote::kTextWidth>;
    RecordedNote spare_;           // takes a note past the capacity
    RecordedCheck spare_check_{};  // ... and a check
    mutable std::array<Texts, kReasonCapacity> reason_texts{};
    mutable std::array<Texts, kNoteCapacity> note_texts{};
};

}  // namespace tx14
