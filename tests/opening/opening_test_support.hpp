// Runs large-opening items through LGCENTER in capture mode for the tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "entry/state.hpp"

namespace tx14::test {

// The worked example: a head without nozzle, US units with factors 1.
struct OpeningItem {
    float P = 100, T = 300, t = 4, Bn = 30, A = 60;
    float g0s = 1, g1s = 1.5f, hs = 3, ca = 0.125f;
    float Sho = 20000, Shg = 20000;
    float g0n = 0, g1n = 0, hn = 0;
    float density = 0.283f;
    float code = 1;
    float item = 7;
    std::string material = "SA-105";
    float moment_factor = 1;

    std::array<float, 200> reals() const;
};

struct Run {
    std::array<float, 200> reals{};
    std::int32_t errors = -1;
    std::vector<std::string> records;  // whole 125-character capture records
    std::vector<std::string> lines;    // their texts without trailing blanks
    int passes = 0;                    // passes of the thickness search
};

Run run_item(const OpeningItem& item);

// The six style codes of a record (columns 109 to 120).
inline std::string record_styles(const std::string& record) { return record.substr(108, 12); }

// Index of the first line equal to `text`, or -1.
int find_line(const std::vector<std::string>& lines, std::string_view text);

// The item unpacked into a run state in capture mode with the US units,
// for the calculation's sections called one by one; the captured texts.
void load_item(State& st, const OpeningItem& item);
std::vector<std::string> captured_lines(const State& st);

}  // namespace tx14::test
