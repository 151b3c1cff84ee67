// JACKETCALC, the report sections it is made of, and the formula-block
// pieces they share.
#pragma once

#include <initializer_list>
#include <string_view>

#include "../entry/units.hpp"
#include "../report/report.hpp"
#include "jacket_input.hpp"
#include "pipe_schedules.hpp"

namespace tx14 {

struct State;

// The result arguments of JACKETCALC. A coil writes Tr, Pprime_ts and Trj
// only; the others keep the zeros they start with.
struct JacketResults {
    float Tr = 0;          // required shell thickness for internal pressure (coil: cylinder)
    float T = 0;           // required jacket thickness, for the accepted thickness
    float Fillet = 0;      // minimum fillet weld size
    float Pprime_Trj = 0;  // permissible jacket pressure at the shell thickness Trj
    float Pprime_ts = 0;   // ... at the input shell thickness (coil: governing pressure)
    float ts_net = 0;      // ts - ca - co
    float Tj_input = 0;    // jacket thickness as input
    float Trj = 0;         // required shell thickness for the jacket pressure (coil: 0)

    // Kept for the results record.
    float K = 0;           // K or Kp at the input shell thickness
    float Sstar = 0;       // longitudinal stress at the input shell thickness
    float Fp = 0;          // allowable jacket bending stress (VIII-2)
    float T_input = 0;     // required jacket thickness for the input thickness
    int schedule = 0;      // accepted pipe schedule, 0 when the input thickness served
    float e_coil = 0;      // coil: minimum coil thickness
    float pc = 0;          // coil: design pressure (Pj is left holding pMaxC1)
    float pMaxC1 = 0, pMaxC2 = 0;
};

// The calculation of a validated item: title, then the half-pipe jacket
// path (code selectors below 3: App. EE, 2 VIII-2) or the limpet coil path
// (3 PD 5500, 4 EN 13445). Rewrites Tj (accepted schedule) or Pj (pMaxC1)
// in the record.
void JACKETCALC(State& st, JacketInput& in, JacketResults& out);

// The values the jacket results summary prints.
struct JacketSummary {
    float Tr;          // required shell thickness for internal pressure
    float ts;          // shell thickness as input
    float Trj;         // required shell thickness for the jacket pressure
    float Pj;          // jacket design pressure used
    float T;           // required jacket thickness
    float Tj;          // accepted jacket thickness
    float Fillet;      // minimum fillet weld size
    float Pprime_Trj;  // M.A.W.P. of the jacket for the required shell thickness
    float Pprime_ts;   // M.A.W.P. of the jacket for the input shell thickness
    float Tj_input;    // jacket thickness as input
};

// The "Summary of Results:" table that closes a half-pipe jacket report.
void JACKETSUMMARY(State& st, const JacketSummary& v);

// Sections of JACKETCALC after the shell and pressure sections: the jacket
// thickness with its schedule search, the fillet weld and the closing of a
// half-pipe jacket; and the whole limpet coil path.
void jacket_thickness_and_weld(State& st, JacketInput& in, JacketResults& out,
                               pipes::PipeSize pipe);
void limpet_coil(State& st, JacketInput& in, JacketResults& out, pipes::PipeSize pipe);

// Display factors and labels of the quantities the calculation prints.
struct JacketUnits {
    float thk;  // thicknesses, allowances
    float dia;  // diameters, radii
    float prs;  // pressures
    float str;  // stresses
    std::string_view thk_label;
    std::string_view prs_label;
    std::string_view str_label;

    explicit JacketUnits(const UnitRecord& u)
        : thk(u.thickness.factor), dia(u.diameter.factor), prs(u.pressure.factor),
          str(u.stress.factor), thk_label(u.thickness.text()), prs_label(u.pressure.text()),
          str_label(u.stress.text())
    {
    }
};

// Caption with its styles, symbolic line, and the template filled with the
// display values and squeezed with the keep count: a formula block up to
// its result line.
void write_block(Report& r, const LineStyles& styles, std::string_view label,
                 std::string_view symbolic, std::string_view tmpl,
                 std::initializer_list<float> values, int keep);

// Result form A, written with the warning styles when the required value
// exceeds the one the input provides.
void write_result_a(Report& r, bool exceeds, float value, std::string_view unit);

// Result form B: " = ", the value with four decimals, one blank, the unit.
void write_result_b(Report& r, float value, std::string_view unit);

// A blank line, "*** WARNING ***" with the headline styles, then each
// message with the warning styles.
void write_warning(Report& r, const LineStyles& headline,
                   std::initializer_list<std::string_view> messages);

}  // namespace tx14
