// The results record: every value an item's run computed, as a number with
// its quantity, the checks the report makes or implies, and the verdict.
// Fixed capacity, filled once at the end of a run, read through the
// context interfaces.
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

struct UnitRecord;

// Quantities, named as the unit slots of an item file. d of a flange is a
// volume; e of a flange is per thickness unit.
enum class Quantity : std::uint8_t {
    length, force, area, volume, moment, stress, temperature, pressure, mass, density,
    diameter, thickness, dimensionless, per_thickness,
};
inline constexpr int kQuantities = 14;

const char* quantity_name(Quantity q);

struct RecordedValue {
    const char* key;    // stable: the report's symbol
    const char* label;  // in words
    Quantity quantity;
    float value;        // internal units
};

struct RecordedCheck {
    const char* key;
    const char* label;
    Quantity quantity;
    bool at_least;      // value >= limit; otherwise value <= limit
    float value, limit;  // internal units
    bool passes;
    float utilization;  // |value|/|limit| (<=), |limit|/|value| (>=); NaN when undefined
};

enum class Verdict : std::int32_t { not_analysed = 0, acceptable = 1, not_acceptable = 2 };

struct ResultsRecord {
    static constexpr int kValueCapacity = 64;
    static constexpr int kCheckCapacity = 16;
    static constexpr int kUnitWidth = 16;

    int value_count = 0;
    int check_count = 0;
    std::array<RecordedValue, kValueCapacity> values{};
    std::array<RecordedCheck, kCheckCapacity> checks{};
    Verdict verdict = Verdict::not_analysed;
    int governing = -1;  // index of the governing check, -1 for none

    // Display factor (a moment is shown as M/12 times it) and unit label (Windows-1252,
    // NUL-terminated) of each quantity, as the report shows it.
    std::array<float, kQuantities> factors{};
    float temperature_offset = 0;
    std::array<std::array<char, kUnitWidth>, kQuantities> units{};

    void clear() { value_count = check_count = 0, verdict = Verdict::not_analysed, governing = -1; }
    void add(const char* key, const char* label, Quantity q, float value);
    void check(const char* key, const char* label, Quantity q, float value, const char* relation,
               float limit);

    // Display units of the run; verdict and governing check from the checks.
    void finish(const UnitRecord& u);

    float display(Quantity q, float value) const;
    const char* unit(Quantity q) const { return units[static_cast<int>(q)].data(); }
};

}  // namespace tx14
