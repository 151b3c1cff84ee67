// The run sequence behind LGCENTER, the same for both kinds of item:
// set-up, dispatch on the item kind, closing lines, close.
#include "lgcenter.hpp"

#include <cstring>

#include "../common/host_arrays.hpp"
#include "../jacket/jacket.hpp"
#include "../jacket/jacket_item.hpp"
#include "../opening/opening.hpp"
#include "../report/single_precision.hpp"
#include "../results/record_items.hpp"
#include "guarded.hpp"

namespace tx14 {
namespace {

// The report file name: the 256-character field up to a NUL, without its
// trailing blanks.
std::string_view file_name(const char* report_file)
{
    if (report_file == nullptr)
        return {};
    const void* nul = std::memchr(report_file, '\0', TX14_FILE_NAME_WIDTH);
    std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - report_file) : TX14_FILE_NAME_WIDTH;
    while (n > 0 && report_file[n - 1] == ' ')
        --n;
    return {report_file, n};
}

// Capture mode for a blank or empty name or unit 0; otherwise the file is
// opened for appending. False when it cannot be opened: the run then ends
// and nothing reaches any destination.
bool choose_destination(Report& r, const char* report_file)
{
    bool no_name = report_file == nullptr || report_file[0] == ' ' || report_file[0] == '\0';
    if (no_name || r.unit == 0) {
        r.unit = -1;
        return true;
    }
    if (r.unit < 0 || !r.file.open(file_name(report_file))) {
        r.unit = 0;
        return false;
    }
    return true;
}

}  // namespace

void begin_run(State& st, const float* unit_factors, const char* unit_labels)
{
    Report& r = st.report;
    take_over_units(st.units, unit_factors, unit_labels);
    r.reset();
    st.input_errors = 0;
    st.opening_results = OpeningResults{};
    st.results.clear();
    r.special = *r.no_special_flag;
}

void run_opening_input(State& st)
{
    st.input_errors = run_opening(st.report, st.units, st.opening, st.opening_results);
    if (st.input_errors == 0)
        record_opening_results(st.results, st.units, st.opening, st.opening_results);
    else
        record_input_errors(st.results, st.units, st.opening_results.findings, ItemKind::opening);
}

void run_jacket_input(State& st)
{
    st.input_errors = run_jacket(st.report, st.units, st.jacket, st.jacket_results);
    if (st.input_errors == 0)
        record_jacket_results(st.results, st.units, st.jacket, st.jacket_results);
    else
        record_input_errors(st.results, st.units, st.jacket_results.findings, ItemKind::jacket);
}

void end_run(State& st)
{
    write_closing_lines(st.report);
    st.report.file.close();
}

namespace {

// The run behind analyse_item; an exception would leave it half done.
void run_item(State& st, const CallArguments& call)
{
    float* reals = call.reals;
    Report& r = st.report;

    begin_run(st, call.unit_factors, call.unit_labels);
    r.unit = truncate_to_int32(element(reals, 40));
    if (call.print_control)
        *call.print_control = 1;  // the host's print switch: reports are always printed

    if (choose_destination(r, call.report_file)) {
        const bool jacket = truncate_to_int32(element(reals, 200)) == 1;
        if (jacket)
            unpack_jacket_input(st.jacket, reals, call.texts);
        else
            unpack_opening_input(st.opening, reals, call.texts);
        jacket ? run_jacket_input(st) : run_opening_input(st);
        if (st.input_errors == 0) {
            const std::array<float, 3> named =
                jacket ? named_results(st.jacket_results) : named_results(st.opening_results);
            const int first = jacket ? 196 : 30;  // the host's result elements
            for (int i = 0; i < 3; ++i)
                element(reals, first + i) = named[static_cast<std::size_t>(i)];
        }
        if (!jacket && call.error_count)
            *call.error_count = st.input_errors;
    }
    end_run(st);
}

// A run that could not finish: the rest of its report dropped, nothing
// captured, the record empty (not analysed) and one fatal error counted, for
// either kind, so that a host that reads the error count sees it.
void abandon_run(State& st, const CallArguments& call) noexcept
{
    st.report.file.discard();
    st.report.capture.count = 0;
    st.results.clear();
    st.input_errors = 1;
    if (call.error_count)
        *call.error_count = 1;
}

}  // namespace

void analyse_item(State& st, const CallArguments& call) noexcept
{
    if (call.reals == nullptr)
        return;
    // Nothing on this path allocates, so nothing below throws today; the
    // guard keeps it so for every caller of the host's entry points.
    if (!guarded([&] { return run_item(st, call), true; }, false))
        abandon_run(st, call);
}

}  // namespace tx14
