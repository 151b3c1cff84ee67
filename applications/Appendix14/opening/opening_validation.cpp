// Validation of a large-opening item: the geometry and allowable checks,
// collected first and then reported as one error section.
#include <array>
#include <cstdint>
#include <string_view>

#include "../report/fixed_line.hpp"
#include "opening.hpp"
#include "opening_calculation.hpp"

namespace tx14 {
namespace {

constexpr int kFatalCountCode = 20;  // the closing "Number of fatal errors" line
constexpr int kNote = 4;             // the one finding that is not fatal

// Every finding's value is 1.0.
void check_opening_input(const OpeningInput& in, InputFindings& f)
{
    const float ca = in.ca;
    f.raise_if(in.g1s < in.g0s, 1);
    f.raise_if(in.g1s > in.A || in.g0s > in.A, 2);
    f.raise_if(in.g1s > in.Bn || in.g0s > in.Bn, 3);
    f.raise_if(in.Bn < 0.5f * in.A, 4);
    f.raise_if(in.Bn > in.A, 5);
    f.raise_if(not_above_zero(in.g0s - ca) || not_above_zero(in.g1s - ca), 6);
    f.raise_if(not_above_zero(in.t - ca), 7);
    f.raise_if(in.hs < 0.0f, 8);
    f.raise_if(not_above_zero(in.Sho), 9);
    f.raise_if(in.g0n > 0.0f && in.g1n < in.g0n, 11);
    const bool nozzle_hub = in.g0n * in.g1n > 0.001f;
    f.raise_if(nozzle_hub && (in.g0n - ca < 0.0f || in.g1n - ca < 0.0f), 12);
    f.raise_if(nozzle_hub && not_above_zero(in.hn), 13);
    f.raise_if(not_above_zero(in.P), 14);  // without pressure every stress ratio is 0/0
    f.raise_if(negative(ca), 15);
    f.raise_if(not_above_zero(radial_distance(in)), 16);  // the bolt circle inside the bore
}

constexpr std::string_view kShellHub = "Error - Shell Side Hub dimension logic error .";
constexpr std::string_view kNozzleHub = "ERROR - Nozzle side hub dimension error. ";

// The message of each code from 1 (10 is never raised).
constexpr std::string_view kMessages[] = {
    kShellHub,
    kShellHub,
    "ERROR - Hub thickness Flange ID error.",
    "Note  - The diameter ratio Flgid/Flgod is < 0.5 .",
    "ERROR - The Flange ID must be < flange OD.",
    kShellHub,
    "ERROR - Corroded Flange Thickness must be > 0.",
    "ERROR - Shell Hub Length must be > 0.0.",
    "ERROR - The Operating Flange stress must be > 0 .",
    {},
    kNozzleHub,
    kNozzleHub,
    "ERROR - Nozzle side hub length must be > 0.0. ",
    "ERROR - The pressure must be greater than 0.0. ",
    "ERROR - The corrosion allowance must not be negative.",
    "ERROR - The opening and its nozzle hub must lie inside the shell.",
};

// Writes one message after a blank line; true when the finding is fatal.
bool write_message(Report& r, std::int32_t code, float value)
{
    FixedLine work(r, r.work);  // built at full width, then squeezed
    OpeningMessage m = opening_message(code);
    if (code == kFatalCountCode)
        work.text("Number of fatal errors: ").fixed_shortest(value, 4).text(" This Analysis will be terminated.");
    else if (m.text.empty())
        work.text("UNIDENTIFIED ERROR, ").fixed_shortest(value, 4).text(" is the value that triggered the error.");
    else
        work.text(m.text);

    std::array<char, kLineWidth> message;
    squeeze_blanks(r.work, message, 2);
    write_blank_line(r);
    write_line(r, message);
    return m.fatal;
}

}  // namespace

OpeningMessage opening_message(std::int32_t code)
{
    if (code < 1 || code > static_cast<std::int32_t>(std::size(kMessages)))
        return {{}, true};
    return {kMessages[static_cast<std::size_t>(code - 1)], code != kNote};
}

std::int32_t validate_opening_input(Report& r, const OpeningInput& in, InputFindings& findings)
{
    std::int32_t error_count = 0;
    findings.clear();
    check_opening_input(in, findings);
    if (findings.count == 0)
        return error_count;

    write_blank_line(r);
    write_blank_line(r);
    FixedLine(r).text("ERROR MESSAGES FOR FLANGE NUMBER ").integer(in.item, 5).write();
    for (int i = 0; i < findings.count; ++i) {
        if (write_message(r, findings.codes[static_cast<std::size_t>(i)], 1.0f))
            ++error_count;
    }
    if (error_count != 0)
        write_message(r, kFatalCountCode, static_cast<float>(error_count));
    return error_count;
}

}  // namespace tx14
