// JACKETCALC on the worked examples: shell thicknesses, the Trj search, the
// pipe schedule search, the fillet weld and the limpet coil pressures.
#include <gtest/gtest.h>

#include <algorithm>

#include "jacket/jacket_calc.hpp"
#include "jacket_test_support.hpp"

namespace tx14::testing {
namespace {

struct Calc {
    std::unique_ptr<State> st = capture_state();
    JacketResults out;
    std::vector<Line> lines;

    explicit Calc(JacketInput in)
    {
        st->jacket = in;
        JACKETCALC(*st, st->jacket, out);
        lines = captured(*st);
    }
    const JacketInput& in() const { return st->jacket; }
    bool has(std::string_view text) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const Line& l) { return l.text == text; });
    }
    int count(std::string_view text) const
    {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [&](const Line& l) { return l.text == text; }));
    }
};

TEST(ShellThickness, InternalPressureByCode)
{
    EXPECT_NEAR(Calc(jacket_input(1)).out.Tr, 0.24599f, 5e-6f);  // App. EE, R = 24.125
    EXPECT_NEAR(Calc(jacket_input(2)).out.Tr, 0.24593f, 5e-6f);  // VIII-2
    EXPECT_TRUE(Calc(jacket_input(1)).has(" = 0.246 in."));
}

struct TrjCase {
    float ca, co, Trj;
};

// With nothing to carry the search stops at its first candidate: the
// smallest multiple of 1/256 above ca + co.
TEST(TrjSearch, FirstCandidateIsTheNextStepAboveTheAllowances)
{
    const TrjCase cases[] = {
        {0.125f, 0, 33.0f / 256}, {0, 0, 1.0f / 256}, {0.0625f, 0.0625f, 33.0f / 256},
        {0.1f, 0, 26.0f / 256},   {0, 0.5f, 129.0f / 256},
    };
    for (std::int32_t code : {1, 2}) {
        for (const TrjCase& c : cases) {
            JacketInput in = jacket_input(code);
            in.P = 0;
            in.Pj = 1;
            in.ca = c.ca;
            in.co = c.co;
            EXPECT_EQ(Calc(in).out.Trj, c.Trj) << "code " << code << " ca " << c.ca;
        }
    }
}

TEST(TrjSearch, GivesUpWhenNoThicknessCarriesThePressure)
{
    JacketInput in = jacket_input(1);
    in.Pj = 1e6f;  // P' levels off at 1.5 S / K, far below
    Calc c(in);
    EXPECT_EQ(c.out.Trj, 64.0f);
    EXPECT_LT(c.out.Pprime_Trj, 1e6f);
    EXPECT_GT(c.out.Pprime_Trj, 0.0f);

    JacketInput deep = jacket_input(2);
    deep.ca = 1000;  // not even the allowance is passed within 64 inches
    Calc d(deep);
    EXPECT_EQ(d.out.Trj, 64.0f);
    EXPECT_EQ(d.out.Pprime_Trj, 0.0f);
    EXPECT_TRUE(d.has("No Shell Thickness Withstands the Jacket Pressure - Revise the Design!"));
}

// NPS 2, Pj = 300, Sj = 15000, caj = 0.125, Tj = 0.05: 5S to 40S are too
// thin, schedule 80 is accepted.
JacketInput thin_nps2_jacket()
{
    JacketInput in = jacket_input(1);
    in.Pj = 300;
    in.caj = 0.125f;
    in.Tj = 0.05f;
    return in;
}

TEST(PipeSchedule, Nps2SearchEndsAtSchedule80)
{
    Calc c(thin_nps2_jacket());
    EXPECT_TRUE(c.has(" = 0.155 in."));  // T for the input thickness
    EXPECT_TRUE(c.has(" Pipe Schedule = 80"));
    EXPECT_FLOAT_EQ(c.in().Tj, 0.19075f);
    EXPECT_NEAR(c.out.T, 0.15177f, 5e-6f);
    EXPECT_FLOAT_EQ(c.out.Tj_input, 0.05f);
    EXPECT_NEAR(c.out.Fillet, 0.30825f, 5e-6f);  // jacket based: 0.19075 / .875 * 1.414
    EXPECT_TRUE(c.has(" = 0.3083 in."));
}

struct ScheduleCase {
    const char* what;
    float NPS, Tj, Pj;
    const char* schedule;
    float accepted;
};

TEST(PipeSchedule, AcceptsTheFirstAdequateWall)
{
    const ScheduleCase cases[] = {
        {"80XS too thin, 100 next", 4, 0.1f, 1200, "100", 0.438f * 0.875f},
        {"nothing adequate", 4, 0.1f, 6000, "XXS", 0.674f * 0.875f},
        {"walls below caj fail, missing ones too", 3, 0.05f, 50, "40", 0.216f * 0.875f},
        {"NPS 3.5 skips its missing 160", 3.5f, 0.1f, 1500, "XXS", 0.636f * 0.875f},
    };
    for (const ScheduleCase& s : cases) {
        JacketInput in = jacket_input(1);
        in.NPS = s.NPS;
        in.Tj = s.Tj;
        in.Pj = s.Pj;
        in.caj = 0.125f;
        Calc c(in);
        EXPECT_TRUE(c.has(std::string(" Pipe Schedule = ") + s.schedule)) << s.what;
        EXPECT_FLOAT_EQ(c.in().Tj, s.accepted) << s.what;
    }
}

TEST(PipeSchedule, AdequateInputKeepsItsThickness)
{
    Calc c(jacket_input(1));
    EXPECT_FLOAT_EQ(c.in().Tj, 0.25f);
    EXPECT_EQ(c.count("*** WARNING ***"), 0);
    EXPECT_FALSE(c.has("Acceptable Pipe Schedule for Jacket:"));
}

struct FilletCase {
    const char* what;
    float ts, r, Tj, Fillet;
    const char* symbolic;
};

TEST(FilletWeld, ShellOrJacketBased)
{
    const FilletCase cases[] = {
        {"shell not thicker than jacket", 0.25f, 0, 0.25f, 0.25f * 1.414f, " = Ts * 1.414"},
        {"standard pipe", 0.375f, 0, 0.25f, 0.25f * 1.414f / 0.875f, " = Tj / .875 * 1.414"},
        {"formed jacket", 0.375f, 1.0f, 0.25f, 0.25f * 1.414f, " = Tj * 1.414"},
        {"radius too small to count", 0.375f, 0.005f, 0.25f, 0.25f * 1.414f / 0.875f,
         " = Tj / .875 * 1.414"},
    };
    for (const FilletCase& f : cases) {
        JacketInput in = jacket_input(1);
        in.ts = f.ts;
        in.ca = 0;
        in.r = f.r;
        in.Tj = f.Tj;
        Calc c(in);
        EXPECT_FLOAT_EQ(c.out.Fillet, f.Fillet) << f.what;
        EXPECT_TRUE(c.has(f.symbolic)) << f.what;
    }
}

struct CoilCase {
    std::int32_t code;
    float r, cylinder, pMaxC1, governing;
    const char* coil_line;
};

// NPS 3 coil, ec = 0.216, caj = 0.0625, pc = 100, fc = 15000, f = 20000,
// e = 0.5, ca = 0.125, ExtCA = 0.
TEST(LimpetCoil, ThicknessesAndPressures)
{
    const CoilCase cases[] = {
        {3, 0, 0.27299f, 952.76f, 642.09f, " = 0.0786 in."},
        {4, 0, 0.26417f, 1326.52f, 726.04f, " = 0.0739 in."},
        // A formed coil: ri = r as given, EN 13445's Di still adds caj.
        {3, 1.5f, 2 * 1.716f * 0.0408248f + 0.125f, 1006.34f, 1006.34f, nullptr},
        {4, 1.5f, 2 * 1.608f * 0.0408248f + 0.125f, 1404.61f, 1404.61f, nullptr},
    };
    for (const CoilCase& k : cases) {
        JacketInput in = jacket_input(k.code);
        in.ts = 0.5f;
        in.NPS = 3;
        in.r = k.r;
        in.Tj = 0.216f;
        in.Pj = 100;
        Calc c(in);
        EXPECT_NEAR(c.out.Tr, k.cylinder, 5e-5f) << k.code << " r " << k.r;
        EXPECT_NEAR(c.in().Pj, k.pMaxC1, 0.01f) << k.code << " r " << k.r;
        if (k.r == 0) {
            EXPECT_NEAR(c.out.Pprime_ts, k.governing, 0.01f) << k.code;
        } else {
            EXPECT_LT(c.out.Pprime_ts, k.governing) << "pMaxC2 governs " << k.code;
        }
        if (k.coil_line) {
            EXPECT_TRUE(c.has(k.coil_line)) << k.code;
        }
        EXPECT_EQ(c.out.Trj, 0.0f);
        EXPECT_EQ(c.out.Fillet, 0.0f);
    }
}

TEST(LimpetCoil, CylinderSidePressureSquaresTheRatio)
{
    JacketInput in = jacket_input(3);
    in.ts = 0.5f;
    in.ca = 0;
    in.r = 2.3f;
    in.Tj = 0.2f;  // rc = 2.5, l = 5
    Calc c(in);
    EXPECT_TRUE(c.has(" = 600.000 psi"));
}

}  // namespace
}  // namespace tx14::testing
