// The library's results record as the front end keeps it, the verdict
// block printed after a report, the exit code of a verdict, and the
// record's part of the JSON output.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "txappendix14.hpp"

namespace tx14::cli {

struct RecordedValue {
    std::string key, label, quantity, unit;  // unit as UTF-8
    float value = 0;                         // internal units
    float display = 0;                       // in `unit`
};

struct RecordedCheck {
    std::string key, label, quantity, unit, relation;
    float value = 0, limit = 0;                  // internal units
    float display_value = 0, display_limit = 0;  // in `unit`
    bool passes = false;
    float utilization = 0;  // +inf when the divisor is not above 0; NaN when undefined
    bool applicable = true;
};

// A reason the item could not be judged, or a note for the reader.
struct RecordedNote {
    std::string code, text;  // text as UTF-8
};

enum class Verdict {
    not_analysed = TX14_NOT_ANALYSED,
    acceptable = TX14_ACCEPTABLE,
    not_acceptable = TX14_NOT_ACCEPTABLE
};

struct Record {
    std::vector<RecordedValue> values;
    std::vector<RecordedCheck> checks;
    std::vector<RecordedNote> reasons, notes;
    Verdict verdict = Verdict::not_analysed;
    int governing = -1;  // index into checks
};

// A check of the context's record.
RecordedCheck recorded_check(const tx14_check& c);

// Copies the record of the context's last run.
Record read_record(const Context& ctx);
// Its reasons and notes alone.
void read_notes(const Context& ctx, Record& rec);

// "acceptable", "not acceptable", "not analysed".
const char* verdict_name(Verdict v);

// Exit codes of the program, in the order they take precedence over one
// another when several items run: failure over input-file error over fatal
// input errors over not acceptable over acceptable.
inline constexpr int kExitAcceptable = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitInputError = 2;
inline constexpr int kExitNotAnalysed = 3;
inline constexpr int kExitNotAcceptable = 4;
int exit_code(Verdict v);
int worse_exit(int a, int b);

// "VERDICT: ..." and one line per failing check (the governing first) or
// per reason, then one "note:" line per note; `plain` writes ASCII only,
// `ansi` adds terminal attributes.
std::string verdict_block(const Record& rec, int fatal_errors, bool plain, bool ansi);

// A float as a JSON number in the fewest digits that give it back; null
// when it is not finite.
nlohmann::ordered_json json_number(float v);
std::string shortest_text(float v);

// The record's fields of the JSON output: "values", "checks", "verdict",
// "governing", "reasons", "notes".
void add_record_json(nlohmann::ordered_json& j, const Record& rec);

}  // namespace tx14::cli
