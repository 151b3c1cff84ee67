// JACKETCALC, the report sections it is made of, and the formula-block
// pieces they share.
#pragma once

#include <initializer_list>
#include <string_view>

#include "../common/units.hpp"
#include "../report/report.hpp"
#include "jacket.hpp"
#include "jacket_input.hpp"
#include "pipe_schedules.hpp"

namespace tx14 {

// The calculation of a validated item: title, then the half-pipe jacket
// path (code selectors below 3: App. EE, 2 VIII-2) or the limpet coil path
// (3 PD 5500, 4 EN 13445).
void JACKETCALC(Report& r, const UnitRecord& units, const JacketInput& in, const JacketDesign& d, JacketResults& out);

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
void JACKETSUMMARY(Report& r, const UnitRecord& units, const JacketSummary& v);

// Sections of JACKETCALC after the shell and pressure sections: the jacket
// thickness with its schedule search, the fillet weld and the closing of a
// half-pipe jacket; and the whole limpet coil path.
void jacket_thickness_and_weld(Report& r, const UnitRecord& units, const JacketInput& in, float Pj, JacketResults& out,
                               pipes::PipeSize pipe);
void limpet_coil(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out, pipes::PipeSize pipe);

// Result form A, written with the warning styles when the required value
// exceeds the one the input provides.
void write_result_a(Report& r, bool exceeds, float value, std::string_view unit);

// Result form B: " = ", the value with four decimals, one blank, the unit.
void write_result_b(Report& r, float value, std::string_view unit);

// A blank line, "*** WARNING ***" with the headline styles, then each
// message with the warning styles.
void write_warning(Report& r, const LineStyles& headline, std::initializer_list<std::string_view> messages);

}  // namespace tx14
