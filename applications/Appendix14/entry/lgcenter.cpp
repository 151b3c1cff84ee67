// LGCENTER's door to run_item: the host's arrays unpacked, the named
// results written back into them, and a run that could not finish closed.
#include "lgcenter.hpp"

#include <cstring>

#include "../common/host_arrays.hpp"
#include "../jacket/jacket.hpp"
#include "../jacket/jacket_item.hpp"
#include "../opening/opening.hpp"
#include "../report/single_precision.hpp"
#include "guarded.hpp"

namespace tx14 {
namespace {

// The report file name: the 256-character field up to a NUL, without its
// trailing blanks; none (capture) for a field that is missing or begins
// with a blank or a NUL.
std::string_view file_name(const char* report_file)
{
    if (report_file == nullptr || report_file[0] == ' ' || report_file[0] == '\0')
        return {};
    const void* nul = std::memchr(report_file, '\0', TX14_FILE_NAME_WIDTH);
    std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - report_file) : TX14_FILE_NAME_WIDTH;
    while (n > 0 && report_file[n - 1] == ' ')
        --n;
    return {report_file, n};
}

// The run behind analyse_item; an exception would leave it half done.
void run_host_item(State& st, const CallArguments& call)
{
    float* reals = call.reals;
    const bool jacket = truncate_to_int32(element(reals, 200)) == 1;
    if (call.print_control)
        *call.print_control = 1;  // the host's print switch: reports are always printed
    const bool ran = run_item(
        st, call.unit_factors, call.unit_labels, jacket,
        [&](Report& r) {
            return choose_destination(r, file_name(call.report_file), truncate_to_int32(element(reals, 40)));
        },
        [&](State& s) {
            jacket ? unpack_jacket_input(s.jacket, reals, call.texts)
                   : unpack_opening_input(s.opening, reals, call.texts);
        });
    if (ran && st.input_errors == 0) {
        const std::array<float, 3> named = named_results(st, jacket);
        const int first = jacket ? 196 : 30;  // the host's result elements
        for (int i = 0; i < 3; ++i)
            element(reals, first + i) = named[static_cast<std::size_t>(i)];
    }
    if (ran && !jacket && call.error_count)
        *call.error_count = st.input_errors;
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
    if (!guarded([&] { return run_host_item(st, call), true; }, false))
        abandon_run(st, call);
}

}  // namespace tx14
