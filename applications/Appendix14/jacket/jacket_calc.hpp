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

// The calculation of a validated item on its design basis out.design:
// title, then the half-pipe jacket path (code selectors below 3: App. EE,
// 2 VIII-2) or the limpet coil path (3 PD 5500, 4 EN 13445).
void JACKETCALC(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out);

// Sections of JACKETCALC after the shell and pressure sections: the jacket
// thickness with its schedule search, the fillet weld and the closing of a
// half-pipe jacket with its results summary; and the whole limpet coil
// path.
void jacket_thickness_and_weld(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out,
                               pipes::PipeSize pipe);
void limpet_coil(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out, pipes::PipeSize pipe);

// Result form B: " = ", the value with four decimals, one blank, the unit.
void write_result_b(Report& r, float value, std::string_view unit);

// A blank line, "*** WARNING ***" with the headline styles, then each
// message with the warning styles.
void write_warning(Report& r, const LineStyles& headline, std::initializer_list<std::string_view> messages);

}  // namespace tx14
