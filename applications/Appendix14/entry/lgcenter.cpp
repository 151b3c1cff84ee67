// The run sequence behind LGCENTER, the same for both kinds of item:
// set-up, dispatch on the item kind, closing lines, close.
#include "lgcenter.hpp"

#include <cstring>

#include "../common/host_arrays.hpp"
#include "../jacket/jacket.hpp"
#include "../opening/opening.hpp"
#include "../report/single_precision.hpp"
#include "../results/record_items.hpp"

namespace tx14 {
namespace {

// The report file name: the 256-character field up to a NUL, without its
// trailing blanks.
std::string_view file_name(const char* report_file)
{
    if (report_file == nullptr)
        return {};
    const void* nul = std::memchr(report_file, '\0', kFileNameWidth);
    std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - report_file) : kFileNameWidth;
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

void analyse_item(State& st, const CallArguments& call)
{
    if (call.reals == nullptr)
        return;
    float* reals = call.reals;
    Report& r = st.report;

    take_over_units(st.units, call.unit_factors, call.unit_labels);
    r.reset();
    st.input_errors = 0;
    st.opening_results = OpeningResults{};
    st.results.clear();
    r.special = *r.no_special_flag;
    r.unit = truncate_to_int32(element(reals, 40));
    if (call.print_control)
        *call.print_control = 1;  // the host's print switch: reports are always printed

    if (choose_destination(r, call.report_file)) {
        if (truncate_to_int32(element(reals, 200)) == 1) {
            st.input_errors = run_jacket_item(r, st.units, st.jacket, st.jacket_results, reals, call.texts);
            if (st.input_errors == 0)
                record_jacket_results(st.results, st.units, st.jacket, st.jacket_results);
            else
                record_input_errors(st.results, st.units, st.jacket_results.findings, ItemKind::jacket);
        } else {
            st.input_errors = run_opening_item(r, st.units, st.opening, st.opening_results, reals, call.texts);
            if (st.input_errors == 0)
                record_opening_results(st.results, st.units, st.opening, st.opening_results);
            else
                record_input_errors(st.results, st.units, st.opening_results.findings, ItemKind::opening);
            if (call.error_count)
                *call.error_count = st.input_errors;
        }
    }
    write_closing_lines(r);
    r.file.close();
}

}  // namespace tx14
