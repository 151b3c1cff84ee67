// A large-opening item from the host's arrays to its results: unpacking,
// echo, validation, the results title and the calculation.
#include "../common/host_arrays.hpp"
#include "opening.hpp"

namespace tx14 {
namespace {

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

std::int32_t run_opening(Report& r, const UnitRecord& u, const OpeningInput& in, OpeningResults& results)
{
    echo_opening_input(r, u, in);
    const std::int32_t errors = validate_opening_input(r, in, results.findings);
    if (errors == 0) {
        write_results_title(r, in.code);
        calculate_opening(r, u, in, results);
    }
    return errors;
}

std::array<float, 3> named_results(const OpeningResults& results)
{
    return {results.minimum_t, results.first.mawp, results.first.largest_stress};
}

}  // namespace tx14
