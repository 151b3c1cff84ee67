// One analysis call: the arguments of LGCENTER without the hidden length
// words; and the run sequence behind it and the typed entry.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "../results/record_items.hpp"
#include "state.hpp"

namespace tx14 {

struct CallArguments {
    float* reals;                 // at least 200 elements; results come back here
    const char* texts;            // fields of 15 characters
    std::int32_t* error_count;    // fatal input errors of a large opening
    const char* report_file;      // 256 characters; blank: capture in memory
    const char* unit_labels;      // 23 labels of 10 characters
    const float* unit_factors;    // 22 factors from internal to display units
    std::int32_t* print_control;  // set to 1
};

// Runs one item of the host's arrays on the state: units, report
// destination, dispatch on the item kind, analysis, closing lines, close of
// the report file. Never throws: a run that cannot finish drops the rest of
// its report, captures nothing, leaves the results record empty and counts
// one fatal error (in error_count too, for either kind).
void analyse_item(State& st, const CallArguments& call) noexcept;

// Where a run's report goes: captured for no file name or unit 0;
// otherwise the file opened for appending on the unit. False, and the
// report goes nowhere, for a negative unit or a file that cannot be opened:
// the run then ends at once.
inline bool choose_destination(Report& r, std::string_view report_file, std::int32_t unit)
{
    if (report_file.empty() || unit == 0)
        return true;  // capture, as the reset left it
    const bool opened = unit > 0 && r.file.open(report_file);
    r.unit = opened ? unit : 0;
    return opened;
}

// One item's run, the same for the host's arrays and the typed entry: the
// units and a reset report and record; the report's destination, chosen
// by `destination` (choose_destination with the door's file and unit); the
// item's input, put into st.opening or st.jacket by `fill` once the report
// has somewhere to go; its analysis and results record; the closing lines
// and the close of the report file. True when the item ran (its report had
// somewhere to go); without fatal input errors it has its named results.
// Inline, as each door's own code.
template <class Destination, class Fill>
bool run_item(State& st, const float* unit_factors, const char* unit_labels, bool jacket, Destination destination,
              Fill fill)
{
    Report& r = st.report;
    take_over_units(st.units, unit_factors, unit_labels);
    r.reset();
    st.results.clear();
    r.special = *r.no_special_flag;
    const bool ran = destination(r);
    if (ran) {
        fill(st);
        if (jacket) {
            st.input_errors = run_jacket(r, st.units, st.jacket, st.jacket_results);
            if (st.input_errors == 0)
                record_jacket_results(st.results, st.units, st.jacket, st.jacket_results);
            else
                record_input_errors(st.results, st.units, st.jacket_results.findings, ItemKind::jacket);
        } else {
            st.opening_results = OpeningResults{};  // a jacket leaves them as they are
            st.input_errors = run_opening(r, st.units, st.opening, st.opening_results);
            if (st.input_errors == 0)
                record_opening_results(st.results, st.units, st.opening, st.opening_results);
            else
                record_input_errors(st.results, st.units, st.opening_results.findings, ItemKind::opening);
        }
    } else {
        st.input_errors = 0;  // a run of either kind sets them
    }
    write_closing_lines(r);
    r.file.close();
    return ran;
}

// The three named results of the item that ran last.
inline std::array<float, 3> named_results(const State& st, bool jacket)
{
    return jacket ? named_results(st.jacket_results) : named_results(st.opening_results);
}

}  // namespace tx14
