// The run sequence behind LGCENTER: set-up, dispatch on the item kind, the
// large-opening steps, closing lines.
#include "lgcenter.hpp"

#include <cstring>

#include "../jacket/jacket.hpp"
#include "../opening/opening.hpp"
#include "../report/single_precision.hpp"
#include "../results/record_items.hpp"
#include "input_arrays.hpp"

namespace tx14 {
namespace {

// The report file name: the 256-character field up to a NUL, without its
// trailing blanks.
std::string_view file_name(const char* report_file)
{
    if (report_file == nullptr)
        return {};
    const void* nul = std::memchr(report_file, '\0', kFileNameWidth);
    std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - report_file)
                        : kFileNameWidth;
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

void write_results_title(Report& r, std::int32_t code)
{
    write_blank_line(r);
    if (code == 1)
        assign(r.line, "ASME VIII-1 App. 14 Large Central Opening Flange Analysis Results:");
    else if (code == 2)
        assign(r.line, "ASME VIII-2, 4.6.4 Large Central Opening Flange Analysis Results:");
    set_line_styles(r, style::kTitle);
    write_line(r);
    write_line(r);  // the writer blanked the buffer: a blank line
}

}  // namespace

void analyse_item(State& st, const HostCall& call)
{
    if (call.reals == nullptr)
        return;
    std::int32_t local_errors = 0;
    std::int32_t local_print = 0;
    std::int32_t& error_count = call.error_count ? *call.error_count : local_errors;
    std::int32_t& print_control = call.print_control ? *call.print_control : local_print;
    char run_mode = call.run_mode ? call.run_mode[0] : ' ';
    float* reals = call.reals;
    Report& r = st.report;

    take_over_units(st.units, call.unit_factors, call.unit_labels);
    r.reset();
    st.input_errors = 0;
    st.results.clear();
    r.special = *r.no_special_flag;
    r.unit = truncate_to_int32(element(reals, 40));
    print_control = 1;

    if (choose_destination(r, call.report_file)) {
        if (truncate_to_int32(element(reals, 200)) == 1) {
            run_jacket_item(st, reals, call.texts, run_mode);
            return;
        }
        unpack_opening_input(st.opening, reals, call.texts);
        echo_opening_input(st);
        error_count = 0;
        validate_opening_input(st, error_count, run_mode);
        st.input_errors = error_count;
        if (error_count == 0) {
            write_results_title(r, truncate_to_int32(element(reals, 25)));
            r.print = print_control;
            OpeningResults results;
            calculate_opening(st, results);
            record_opening_results(st, results);
            element(reals, 30) = results.minimum_t;
            element(reals, 31) = results.mawp;
            element(reals, 32) = results.largest_stress;
        }
    }
    write_closing_lines(r);
    r.file.close();
}

}  // namespace tx14
