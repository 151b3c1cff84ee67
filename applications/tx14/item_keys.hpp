// The keys of an item file for each kind of item: which element of the
// library's real array or which text field each fills, and how its value
// converts; the code names; the result elements.
#pragma once

#include <span>
#include <string_view>

#include "unit_system.hpp"

namespace tx14::cli {

enum class Kind { opening, jacket };

struct NumberKey {
    std::string_view name;     // the engineering symbol
    int element;               // of the real array, from 1
    Quantity quantity;
    std::string_view meaning;
};

struct TextKey {
    std::string_view name;
    int field;                 // of the text-field array, from 1
    std::string_view meaning;
};

struct CodeName {
    std::string_view name;
    int number;
};

struct ResultKey {
    std::string_view name;     // field of the JSON and the batch output
    int element;
    Quantity quantity;
};

struct KindKeys {
    Kind kind;
    std::string_view name;     // value of `kind`
    float kind_element;        // element 200
    int code_element;          // element the code number goes to
    std::span<const NumberKey> numbers;
    std::span<const TextKey> texts;
    std::span<const CodeName> codes;
    std::span<const ResultKey> results;
};

inline constexpr int kItemElement = 1;
inline constexpr int kReportUnitElement = 40;
inline constexpr int kKindElement = 200;

inline constexpr NumberKey kOpeningNumbers[] = {
    {"P", 5, Quantity::pressure, "internal design pressure"},
    {"T", 6, Quantity::temperature, "design temperature"},
    {"t", 7, Quantity::thickness, "integral flat head thickness"},
    {"Bn", 8, Quantity::diameter, "opening inside diameter"},
    {"A", 9, Quantity::diameter, "shell outside diameter"},
    {"g0s", 10, Quantity::thickness, "shell side hub thickness, small end"},
    {"g1s", 11, Quantity::thickness, "shell side hub thickness, large end"},
    {"hs", 12, Quantity::thickness, "shell side hub length"},
    {"ca", 13, Quantity::thickness, "corrosion allowance"},
    {"Sho", 15, Quantity::stress, "allowable stress at design temperature"},
    {"Shg", 16, Quantity::stress, "allowable stress at ambient temperature"},
    {"g0n", 18, Quantity::thickness, "nozzle side hub thickness, small end"},
    {"g1n", 19, Quantity::thickness, "nozzle side hub thickness, large end"},
    {"hn", 20, Quantity::thickness, "nozzle side hub length"},
    {"density", 21, Quantity::density, "material density (weight per unit volume)"},
};

inline constexpr NumberKey kJacketNumbers[] = {
    {"D", 2, Quantity::diameter, "cylinder inside diameter"},
    {"ts", 3, Quantity::thickness, "cylinder thickness"},
    {"P", 4, Quantity::pressure, "cylinder internal design pressure"},
    {"T", 5, Quantity::temperature, "design temperature for internal pressure"},
    {"S", 6, Quantity::stress, "cylinder allowable stress at design temperature"},
    {"Sa", 7, Quantity::stress, "cylinder allowable stress at ambient temperature"},
    {"ca", 8, Quantity::thickness, "cylinder corrosion allowance"},
    {"E", 9, Quantity::none, "cylinder joint efficiency"},
    {"NPS", 10, Quantity::diameter, "nominal pipe size of the jacket or coil"},
    {"Tj", 11, Quantity::thickness, "jacket (coil) minimum thickness"},
    {"Pj", 12, Quantity::pressure, "jacket (coil) design pressure"},
    {"Tjacket", 13, Quantity::temperature, "jacket (coil) design temperature"},
    {"Sj", 14, Quantity::stress, "jacket allowable stress at design temperature"},
    {"Sja", 15, Quantity::stress, "jacket allowable stress at ambient temperature"},
    {"caj", 16, Quantity::thickness, "jacket (coil) corrosion allowance"},
    {"r", 17, Quantity::diameter, "formed inside radius, 0 for a standard pipe"},
    {"ExtPCore", 18, Quantity::pressure, "core external pressure"},
    {"co", 19, Quantity::thickness, "cylinder outer corrosion allowance"},
    {"L", 21, Quantity::length, "span of the coils"},
};

inline constexpr TextKey kOpeningTexts[] = {
    {"material", 1, "flange and nozzle material"},
    {"description", 2, "item description"},
};

inline constexpr TextKey kJacketTexts[] = {
    {"material", 1, "cylinder material"},
    {"jacket_material", 2, "jacket (coil) material"},
    {"description", 3, "item description"},
};

inline constexpr CodeName kOpeningCodes[] = {{"VIII-1", 1}, {"VIII-2", 2}};
inline constexpr CodeName kJacketCodes[] = {
    {"VIII-1", 1}, {"VIII-2", 2}, {"PD5500", 3}, {"EN13445", 4}};

inline constexpr ResultKey kOpeningResults[] = {
    {"minimum_thickness", 30, Quantity::thickness},
    {"mawp", 31, Quantity::pressure},
    {"largest_stress", 32, Quantity::stress},
};

inline constexpr ResultKey kJacketResults[] = {
    {"fillet_weld", 196, Quantity::thickness},
    {"permissible_jacket_pressure", 197, Quantity::pressure},
    {"governing_shell_thickness", 198, Quantity::thickness},
};

inline constexpr KindKeys kKinds[] = {
    {Kind::opening, "opening", 0.0f, 25, kOpeningNumbers, kOpeningTexts, kOpeningCodes, kOpeningResults},
    {Kind::jacket, "jacket", 1.0f, 20, kJacketNumbers, kJacketTexts, kJacketCodes, kJacketResults},
};

// Keys every item has besides those of its kind.
inline constexpr std::string_view kCommonKeys[] = {"kind", "code", "units", "item"};

inline const KindKeys& keys_of(Kind k) { return kKinds[k == Kind::opening ? 0 : 1]; }

}  // namespace tx14::cli
