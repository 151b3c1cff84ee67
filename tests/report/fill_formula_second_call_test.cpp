// fill_formula with more values than one substitution takes.
#include <gtest/gtest.h>

#include "report/formula_block.hpp"

namespace tx14 {
namespace {

std::string_view work_text(const Report& r) { return trimmed(r.work); }

TEST(FillFormula, SeventhValueFillsTheSeventhPlaceholder)
{
    Report r;
    fill_formula(r, " = @0 @0 @0 @0 @0 @0 @0", {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(work_text(r), " = 1 2 3 4 5 6 7");
}

TEST(FillFormula, SixValuesLeaveTheSeventhPlaceholder)
{
    Report r;
    fill_formula(r, " = @0 @0 @0 @0 @0 @0 @0", {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(work_text(r), " = 1 2 3 4 5 6 @0#");  // the end marker travels with it
}

TEST(FillFormula, SilentWhileThePrintSwitchIsOff)
{
    Report r;
    assign(r.work, "unchanged");
    r.print = 0;
    fill_formula(r, " = @0 @0 @0 @0 @0 @0 @0", {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(work_text(r), "unchanged");
}

}  // namespace
}  // namespace tx14
