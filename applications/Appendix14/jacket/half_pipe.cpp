// JACKETCALC: its common start, and the shell-thickness and pressure
// sections of a half-pipe jacket per Appendix EE (K from the charts) or
// VIII-2 4.11.6 (rating factor Kp).
#include <algorithm>
#include <cmath>

#include "../common/units.hpp"
#include "../report/fixed_line.hpp"
#include "../report/formula_block.hpp"
#include "../report/number_fields.hpp"
#include "../report/report.hpp"
#include "../report/single_precision.hpp"
#include "../report/squeezed_line.hpp"
#include "charts.hpp"
#include "jacket_calc.hpp"

namespace tx14 {
namespace {

constexpr float kStep = 0.00390625f;  // Trj rises in steps of 1/256 inch
constexpr int kMaxRaises = 16384;     // ... up to 64 inches at most

std::string_view title(std::int32_t code)
{
    switch (code) {
    case 3:
        return "Limpet Coil Analysis for Internal Pressure per PD 5500, 3.11.4";
    case 4:
        return "Limpet Coil Analysis for Internal Pressure per EN-13445, 8.5.3.5";
    case 2:
        return "Half-Pipe Jacket Analysis per ASME VIII-2, 4.11.6";
    default:
        return "Half-Pipe Jacket Results per ASME Appendix EE, 2015";
    }
}

// The chart K is read from, or the pair whose mean it is (second = 0 for a
// single chart).
struct ChartChoice {
    float first;
    float second;
};

// Appendix EE: a formed jacket by its outside diameter, a standard pipe by
// its nominal size NPS (2.5 and 3.5 take the mean of the neighbouring
// charts).
ChartChoice chart_choice(const JacketInput& in, float NPS)
{
    if (in.r > kFormedRadius) {
        float Dj = 2.0f * (in.r + in.Tj);
        if (Dj <= 2.375f)
            return {1.0f, 0.0f};
        if (Dj <= 3.5f)
            return {1.0f, 2.0f};
        if (Dj <= 4.5f)
            return {2.0f, 3.0f};
        return {3.0f, 0.0f};
    }
    if (NPS == 2.5f)
        return {1.0f, 2.0f};
    if (NPS == 3.5f)
        return {2.0f, 3.0f};
    if (NPS > 4.0f)
        return {3.0f, 0.0f};
    if (NPS < 2.0f)
        return {1.0f, 0.0f};
    return {NPS - 1.0f, 0.0f};
}

// VIII-2: the Appendix EE chart a jacket size's Kp polynomial is fitted
// to (NPS 2, 3, 4: charts 1, 2, 3; any other size: chart 3).
int kp_reference_chart(std::int32_t size) { return size >= 2 && size <= 4 ? size - 1 : 3; }

// The chart(s) of an item read at its shell diameter, once: the Trj
// search looks K up at thousands of thicknesses.
struct KCharts {
    bool div2;
    ChartChoice choice;
    ChartColumn first;   // Kp (VIII-2) or the first chart
    ChartColumn second;  // the second chart of a mean; VIII-2: the chart Kp is checked against
    int kp_chart;        // VIII-2: that chart's number
};

// The charts read at the uncorroded inside diameter D (Appendix EE) or
// Kp at the corroded one Dc (VIII-2), for the nominal size NPS.
KCharts k_charts(bool div2, const JacketInput& in, float NPS, float Dc)
{
    KCharts c{div2, {}, {}, {}, 0};
    if (div2) {
        const std::int32_t size = truncate_to_int32(NPS);
        c.kp_chart = kp_reference_chart(size);
        c.first = kp_chart_column(Dc, size);
        c.second = ee_chart_column(static_cast<float>(c.kp_chart), Dc);
        return c;
    }
    c.choice = chart_choice(in, NPS);
    c.first = ee_chart_column(c.choice.first, in.D);
    if (c.choice.second != 0.0f)
        c.second = ee_chart_column(c.choice.second, in.D);
    return c;
}

// The factor of one look-up: K, or the Kp actually used.
struct KValue {
    float K;
    bool chart_used = false;  // VIII-2: the chart replaced the Kp polynomial
    float Kpoly = 0.0f;       // ... whose value this was
};

// VIII-2: some Kp coefficient rows stray far from the chart they were
// fitted to. The chart's Kc stands in where the polynomial is not above 0
// (NaN included) or departs from Kc by more than 15 %.
KValue kp_used(float Kpoly, float Kc)
{
    const float d = Kpoly - Kc;
    if (!(Kpoly > 0.0f) || std::fabs(d) > 0.15f * Kc)
        return {Kc, true, Kpoly};
    return {Kpoly, false, Kpoly};
}

// K (Appendix EE) or Kp (VIII-2) at the net shell thickness t.
KValue K_at(const KCharts& c, float t)
{
    if (c.div2)
        return kp_used(KPFACTOR(c.first, t), EEKFACTOR(c.second, t));
    if (c.choice.second == 0.0f)
        return {EEKFACTOR(c.first, t)};
    return {(EEKFACTOR(c.first, t) + EEKFACTOR(c.second, t)) * 0.5f};
}

// P' = (1.5 S - S*) / K at the net shell thickness t, S* = P R / (2 t).
float permissible_pressure(float K, float P, float R, float S, float t)
{
    float Sstar = (P * R) / (t + t);
    return (1.5f * S - Sstar) / K;
}

// The smallest multiple of 1/256 above ca + co whose P' reaches Pj. The
// search gives up after 16384 steps in all (64 inches): then Trj and P'
// keep their last values and `exhausted` is set.
struct TrjSearch {
    float Trj = 0.0f;
    float Pprime = 0.0f;  // 0 until one is computed
    bool exhausted = false;
    bool chart_used = false;  // VIII-2: some step took Kp from the chart
};

// Above the charts' end K stays K_end, so P' only rises with t when K is
// above 0 and P R is not negative: the first step whose P' reaches Pj is
// then found by halving the steps left, with the same P' at each step.
bool search_by_halving(KValue K_end, const JacketInput& in, float R, int raises, float Pj, TrjSearch& s)
{
    if (!(K_end.K > 0.0f) || in.P * R < 0.0f)
        return false;
    auto Pprime_at = [&](int n) {
        const float Trj = static_cast<float>(n) * kStep;  // exact: what n raises add up to
        return permissible_pressure(K_end.K, in.P, R, in.S, Trj - in.ca - in.co);
    };
    int lo = raises, hi = kMaxRaises;
    if (Pprime_at(hi) < Pj) {
        s.exhausted = true;
        lo = hi;
    }
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (Pprime_at(mid) < Pj)
            lo = mid + 1;
        else
            hi = mid;
    }
    s.Trj = static_cast<float>(lo) * kStep;
    s.Pprime = Pprime_at(lo);
    s.chart_used = s.chart_used || K_end.chart_used;
    return true;
}

TrjSearch find_Trj(const KCharts& c, const JacketInput& in, float R, float Pj)
{
    // The charts end at a net thickness of 2: every thickness above reads
    // the factor there.
    constexpr float kChartsEnd = 2.0f;
    TrjSearch s;
    int raises = 0;
    while (s.Trj - in.ca - in.co <= 0.0f) {
        if (raises == kMaxRaises) {
            s.exhausted = true;
            return s;
        }
        s.Trj += kStep;
        ++raises;
    }
    KValue K_end{0.0f};
    for (bool past_end = false;;) {
        float t = s.Trj - in.ca - in.co;
        if (!past_end && t > kChartsEnd) {
            past_end = true;
            K_end = K_at(c, kChartsEnd);
            if (search_by_halving(K_end, in, R, raises, Pj, s))
                return s;
        }
        const KValue K = past_end ? K_end : K_at(c, t);
        s.chart_used = s.chart_used || K.chart_used;
        s.Pprime = permissible_pressure(K.K, in.P, R, in.S, t);
        if (!(s.Pprime < Pj))
            return s;
        if (raises == kMaxRaises) {
            s.exhausted = true;
            return s;
        }
        s.Trj += kStep;
        ++raises;
    }
}

// " FIG. EE - 1" or " FIG. EE - 1 and EE - 2": the chart numbers as one
// digit each, squeezed like a formula line.
void write_chart_line(Report& r, ChartChoice c)
{
    SqueezedLine line(r.line, 0, SqueezedLine::kSqueeze);
    char digit;
    line.text(" FIG. EE - ");
    field::integer(Field(&digit, 1), truncate_to_int32(c.first));
    line.text({&digit, 1});
    if (c.second != 0.0f) {
        line.text("  and EE - ");
        field::integer(Field(&digit, 1), truncate_to_int32(c.second));
        line.text({&digit, 1});
    }
    line.finish();
    write_line(r);
}

// "   FIG. EE - 2 value used: the Kp polynomial gives -8.518", the
// polynomial's value last, cut at the end of the line when it is huge.
void write_kp_chart_note(Report& r, int chart, float Kpoly)
{
    FixedLine(r)
        .text("   FIG. EE - ")
        .integer(chart, 1)
        .text(" value used: the Kp polynomial gives ")
        .fixed_shortest(Kpoly, 3)
        .write();
}

// "   Trj search: FIG. EE - 2 chart used where ...": some step of the Trj
// search took Kp from the chart.
void write_trj_chart_note(Report& r, int chart)
{
    constexpr std::string_view kWhere = " chart used where the Kp polynomial departs by more than 15%.";
    FixedLine(r).text("   Trj search: FIG. EE - ").integer(chart, 1).text(kWhere).write();
}

// Shell thickness for internal pressure, Tr.
float required_shell_thickness(bool div2, const JacketInput& in, float R, float Dc)
{
    if (div2)
        return 0.5f * Dc * (exp_single(in.P / (in.S * in.E)) - 1.0f) + in.ca + in.co;
    return (in.P * R) / (in.S * in.E - 0.6f * in.P) + in.ca + in.co;
}

// What the two sections print besides the results of JACKETCALC.
struct ShellValues {
    bool div2;
    float R, Dc;
    ChartChoice chart;  // Appendix EE: the chart(s) K is read from
    int kp_chart;       // VIII-2: the chart Kp is checked against
    float Kpoly;        // VIII-2: the Kp polynomial at the input shell thickness
};

void write_shell_section(Report& r, const Shown& show, const JacketInput& in, const JacketResults& out,
                         const ShellValues& v)
{
    const bool div2 = v.div2;
    const float R = v.R, Dc = v.Dc;
    write_blank_line(r);
    write_text(r, style::kTitle, "Shell Thickness Calculations:");
    write_blank_line(r);
    if (div2) {
        write_text(r, style::kCaption, "Cylindrical Shell Calculation - Section 4.3.3.1");
        write_blank_line(r);
        write_block(r, style::kResultCaption,
                    "Computed Minimum Required Thickness [t]:", " = 0.5 * D( exp( P/(S*E) )-1) + ca + co",
                    " = 0.5 * @3(exp( @3/(@3*@3))-1) + @3 + @3",
                    {show.thk(Dc), show.pressure(in.P), show.stress(in.S), in.E, show.thk(in.ca), show.thk(in.co)}, 2);
    } else {
        write_block(
            r, style::kCaption, "Required Thickness of Shell per UG-27 Eqn(1) (Includes CA) [Tr]:",
            " = ( P * R ) / ( S * E - 0.6 * P ) + ( ca + co )", " = (@2 *@3 )/(@2 *@2 - 0.6 *@2 ) + @3 #",
            {show.pressure(in.P), show.dia(R), show.stress(in.S), in.E, show.pressure(in.P), show.thk(in.ca + in.co)},
            7);
    }
    write_result(r, show.thk(out.Tr), show.u.thickness.text(), Tr_exceeds_ts(out, in));
    if (Tr_exceeds_ts(out, in))
        write_warning(r, style::kWarningHeadline,
                      {"The Input Thickness is < the Req'd Thickness for Internal Pressure!"});

    write_blank_line(r);
    write_text(r, style::kCaption, "Req. Thk. of Shell to Withstand Jacket Pressure (Includes CA) [Trj]:");
    write_result(r, show.thk(out.Trj), show.u.thickness.text(), Trj_exceeds_ts(out, in));
    if (out.Trj_from_chart)
        write_trj_chart_note(r, v.kp_chart);
    if (Trj_exceeds_ts(out, in))
        write_warning(r, style::kWarning, {"The Input Thickness is < the Req'd Thickness for Jacket Pressure!"});
    if (out.Trj_exhausted)
        write_warning(r, style::kWarning, {"No Shell Thickness Withstands the Jacket Pressure - Revise the Design!"});
}

void write_pressure_section(Report& r, const Shown& show, const JacketInput& in, const JacketResults& out,
                            const ShellValues& v)
{
    const bool div2 = v.div2;
    const float K = out.K, Sstar = out.Sstar, Fp = out.Fp;
    write_blank_line(r);
    write_text(r, style::kTitle, "Pressure Calculations for Input Shell Thickness:");
    write_blank_line(r);
    write_text(r, style::kCaption, "Input Value of Shell Thickness [ts]:");
    write_result_b(r, show.thk(in.ts), show.u.thickness.text());
    write_blank_line(r);
    if (div2) {
        write_text(r, style::kCaption, "Half-Pipe Jacket Rating Factor [Kp]:");
    } else {
        write_text(r, style::kCaption, "Chart Used to Find the K-Factor:");
        write_chart_line(r, v.chart);
        write_blank_line(r);
        write_text(r, style::kCaption, "K-Factor Read from Chart [K]:");
    }
    write_result(r, K, " ");
    if (out.K_from_chart)
        write_kp_chart_note(r, v.kp_chart, v.Kpoly);

    write_blank_line(r);
    if (div2) {
        write_block(r, style::kCaption,
                    "Longitudinal Stress in Shell due to Internal Pressure [S*]:", " = ( P * D ) / ( 4 * ts )",
                    " = ( @4 * @4 ) / ( 4 * @4 )", {show.pressure(in.P), show.dia(v.Dc), show.thk(out.ts_net)}, 1);
    } else {
        write_block(r, style::kCaption,
                    "Longitudinal Stress in Shell due to Internal Pressure [SPrime]:", " = ( P * R ) / ( 2 * ts )",
                    " = ( @4 * @4 ) / ( 2 * @4 )", {show.pressure(in.P), show.dia(v.R), show.thk(out.ts_net)}, 1);
    }
    write_result(r, show.stress(Sstar), show.u.stress.text());

    write_blank_line(r);
    if (div2) {
        write_block(r, style::kCaption, "Allowable Jacket Bending Stress [Fp]:", " = min( 1.5 * S - S*, 1.5 * S )",
                    " = min( 1.5 * @2 - @4, 1.5 * @2 )", {show.stress(in.S), show.stress(Sstar), show.stress(in.S)}, 1);
        write_result(r, show.stress(Fp), show.u.stress.text());
        write_blank_line(r);
        write_block(r, style::kCaption,
                    "Permissible Jacket Pressure per 4.11.6.4, Equation 4.11.3 [Pjpm]:", " = Fp / Kp", " = @2 / @2",
                    {show.stress(Fp), K}, 1);
    } else {
        write_block(r, style::kCaption, "Permissible Jacket Pressure per Appendix EE-1, Equation (1) [Pprime]:",
                    " = ( 1.5 * S - Sprime ) / K", " = ( 1.5 * @2 - @4 ) / @2",
                    {show.stress(in.S), show.stress(Sstar), K}, 1);
    }
    write_result_b(r, show.pressure(out.Pprime_ts), show.u.pressure.text());
}

// The shell-thickness and pressure sections of a half-pipe jacket: every
// value is computed first, then the sections print them.
void half_pipe_shell_and_pressure(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out,
                                  float R)
{
    const bool div2 = in.code == 2;
    const float Dc = R + R;

    out.Tr = required_shell_thickness(div2, in, R, Dc);
    const KCharts charts = k_charts(div2, in, out.design.NPS, Dc);
    const TrjSearch search = find_Trj(charts, in, R, out.design.Pj);
    out.Trj = search.Trj;
    out.Pprime_Trj = search.Pprime;
    out.Trj_from_chart = search.chart_used;
    out.Trj_exhausted = search.exhausted;

    out.ts_net = in.ts - in.ca - in.co;
    const KValue K = K_at(charts, out.ts_net);
    out.K = K.K;
    out.K_from_chart = K.chart_used;
    out.Sstar = (in.P * R) / (2.0f * out.ts_net);
    out.Fp = std::min(1.5f * in.S - out.Sstar, 1.5f * in.S);
    out.Pprime_ts = div2 ? out.Fp / K.K : (1.5f * in.S - out.Sstar) / K.K;

    const Shown show(units);
    const ShellValues v{div2, R, Dc, charts.choice, charts.kp_chart, K.Kpoly};
    write_shell_section(r, show, in, out, v);
    write_pressure_section(r, show, in, out, v);
}

}  // namespace

void JACKETCALC(Report& r, const UnitRecord& units, const JacketInput& in, JacketResults& out)
{
    const pipes::PipeSize pipe = pipes::pipe_size(out.design.NPS);
    const float R = in.D * 0.5f + in.ca;

    write_blank_line(r);
    write_text(r, style::kTitle, title(in.code));
    if (in.code >= 3) {
        limpet_coil(r, units, in, out, pipe);
        return;
    }
    half_pipe_shell_and_pressure(r, units, in, out, R);
    jacket_thickness_and_weld(r, units, in, out, pipe);
}

}  // namespace tx14
