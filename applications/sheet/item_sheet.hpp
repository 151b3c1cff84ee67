// The calculation sheet of one item run through the library: the document
// filled from the item as given, what its run gave (report, results record)
// and a sweep of its thickness. The front end (tx14, the WebAssembly
// module) makes the runs; nothing here reads or writes anything.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "items.hpp"
#include "sheet.hpp"

namespace tx14::sheet {

// An item as the library takes it.
struct GivenItem {
    const items::KindKeys* keys = nullptr;
    std::string code;  // "VIII-1", "PD5500", ...
    const items::UnitSystem* units = nullptr;
    std::optional<std::int64_t> number;  // `item`
    std::array<float, items::kRealCount> reals{};
    std::array<char, items::kTextFields * items::kTextWidth> texts{};
    std::vector<std::string> warnings;  // of the item contract
};

// What a run of the item gave: its report and its results record, in
// display units (unit labels in UTF-8).
struct RunValue {
    std::string key, label, unit;
    float display = 0;
};

struct RunCheck {
    std::string label, quantity, unit, relation;
    float display_value = 0, display_limit = 0;
    bool passes = false;
    float utilization = 0;  // NaN when undefined
    bool applicable = true;
};

struct Run {
    int fatal_errors = 0;
    std::vector<ReportRecord> report;
    std::vector<RunValue> values;
    std::vector<RunCheck> checks;
    Verdict verdict = Verdict::not_analysed;
    int governing = -1;                // index into checks
    std::vector<std::string> reasons;  // why it is not analysed
    std::vector<std::string> notes;    // what the reader must know
    std::optional<float> fillet_weld;  // internal units, when computed
};

// Runs the item again with these reals (a thickness changed).
using Rerun = std::function<Run(const std::array<float, items::kRealCount>& reals)>;

// What identifies the run on the sheet.
struct Source {
    std::string name;    // the input file, or the batch file and row
    std::string sha256;  // of the input's bytes, hex
    std::string date_time;
    std::string library_version;
    Paper paper = Paper::a4;
};

Document document_of(const GivenItem& item, const Run& run, const Rerun& rerun, const Source& source);

}  // namespace tx14::sheet
