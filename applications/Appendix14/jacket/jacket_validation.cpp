// Validation of a half-pipe jacket or limpet coil item: the geometry,
// allowance, efficiency and stress checks, the normalised nominal pipe
// size, and the error section.
#include <array>
#include <cmath>

#include "../common/units.hpp"
#include "../report/fixed_line.hpp"
#include "../report/report.hpp"
#include "jacket_item.hpp"
#include "pipe_schedules.hpp"

namespace tx14 {
namespace {

constexpr int kTotalLine = 30;

constexpr std::array<std::string_view, 12> kMessages{
    "ERROR - Shell corroded thickness is less than or equal to zero.",
    "ERROR - Shell thickness is greater than the inside diameter.",
    "ERROR - Nominal Pipe Size is not valid.",
    "ERROR - Jacket Thickness is greater than the internal diameter.",
    "ERROR - Jacket corroded thickness is less than or equal to zero.",
    "ERROR - Shell dimensions are too small for this jacket.",
    "ERROR - Both the radius and the Nominal jacket size are 0.",
    "ERROR - Radius specification not allowed in Division 2.",
    "ERROR - Nominal Pipe Sizes of 2, 3 and 4 are only allowed in Division 2.",
    "ERROR - A corrosion allowance is negative.",
    "ERROR - The joint efficiency must be greater than 0 and not greater than 1.",
    "ERROR - The allowable stresses must be greater than 0.",
};

// Outside diameter of the standard sizes; any other value stands for itself.
float pipe_outside_diameter(float NPS)
{
    if (pipes::in_table(NPS))
        return pipes::pipe_size(NPS).OD;
    return NPS;
}

// The standard size whose pipe contains a formed jacket of outside
// diameter Dj.
float size_containing(float Dj)
{
    for (float NPS : {2.0f, 2.5f, 3.0f, 3.5f})
        if (Dj <= pipes::pipe_size(NPS).OD)
            return NPS;
    return pipes::kLargestSize;
}

// NPS rounded to 5 decimals: whole part of NPS x 100000 + 0.5, over 100000.
float rounded_size(float NPS) { return std::trunc(NPS * 100000.0f + 0.5f) / 100000.0f; }

// The pipe data of the calculation cover the standard sizes 2 to 4 only.
bool outside_pipe_table(float NPS) { return NPS > 0.01f && (NPS < pipes::kSmallestSize || NPS > pipes::kLargestSize); }

// One message of the error section: a blank line and the message of the
// code (kTotalLine: the total line with `value`).
void write_jacket_message(Report& r, int code, float value)
{
    std::array<char, 120> message;  // built at full width, then squeezed
    FixedLine text(r, message);
    if (code == kTotalLine)
        text.text("Total Number of Errors,", 30).fixed(value, 12, 4).text(", .  Please Correct and Retry.");
    else
        text.text(jacket_message(code));
    std::array<char, kLineWidth> line;
    squeeze_blanks(message, line, 2);
    write_blank_line(r);
    write_line(r, line);
}

}  // namespace

std::string_view jacket_message(int code)
{
    if (code >= 1 && code <= static_cast<int>(kMessages.size()))
        return kMessages[static_cast<std::size_t>(code - 1)];
    return {};
}

JacketDesign jacket_design(const JacketInput& in)
{
    JacketDesign d;
    d.NPS = in.r > kFormedRadius ? size_containing(2.0f * (in.r + in.Tj)) : rounded_size(in.NPS);
    d.Pj = in.code < 3 ? in.Pj + in.ExtPCore : in.Pj;  // a jacket also carries the core's external pressure
    return d;
}

std::int32_t validate_jacket_input(Report& r, const JacketInput& in, const JacketDesign& d, InputFindings& errors)
{
    const float OD = pipe_outside_diameter(in.NPS);  // of the size as given
    errors.clear();
    errors.raise_if(in.ca + in.co >= in.ts, 1);
    errors.raise_if(in.r <= kFormedRadius && 2.0f * in.ts >= in.D, 2);
    errors.raise_if(
        in.r <= kFormedRadius && (std::fmod(d.NPS, 0.5f) != 0.0f || (in.code != 2 && outside_pipe_table(d.NPS))), 3);
    errors.raise_if(in.r <= kFormedRadius && OD - 2.0f * in.Tj <= 0.0f, 4);
    errors.raise_if(in.caj >= in.Tj, 5);
    errors.raise_if(in.D + in.ts <= 2.0f * OD, 6);
    errors.raise_if(in.r <= kFormedRadius && d.NPS <= 0.01f, 7);
    if (in.code == 2) {
        errors.raise_if(in.r > kRadiusGiven, 8);
        errors.raise_if(!(d.NPS == 2.0f || d.NPS == 3.0f || d.NPS == 4.0f), 9);
    }
    errors.raise_if(negative(in.ca) || negative(in.caj) || negative(in.co), 10);
    errors.raise_if((in.code == 1 || in.code == 2) && !(in.E > 0.0f && in.E <= 1.0f), 11);
    errors.raise_if(not_above_zero(in.S) || not_above_zero(in.Sj), 12);
    if (errors.count == 0)
        return 0;

    write_blank_line(r);
    write_blank_line(r);
    FixedLine(r).text("ERROR MESSAGES FOR HALF-PIPE NUMBER ").integer(in.item, 5).write();
    for (int i = 0; i < errors.count; ++i)
        write_jacket_message(r, errors.codes[static_cast<std::size_t>(i)], 0.0f);
    write_jacket_message(r, kTotalLine, static_cast<float>(errors.count));
    return errors.count;
}

}  // namespace tx14
