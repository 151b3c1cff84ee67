// The entry: units, unpacking, the report's destination.
#include <gtest/gtest.h>

#include <filesystem>

#include "entry/state.hpp"
#include "support/test_support.hpp"

namespace {

using namespace tx14;
using test::HostItem;

TEST(Units, LabelsAreLeftAdjustedAndCutToTheirSlot)
{
    HostItem item;
    item.label(9, "   psi");
    item.label(21, "millimetre");
    item.label(7, " C");
    UnitRecord u;
    take_over_units(u, item.unit_factors.data(), item.unit_labels.data());
    EXPECT_EQ(u.pressure.text(), "psi       ");
    EXPECT_EQ(u.diameter.text(), "mil");
    EXPECT_EQ(u.temperature_text(),
              "\xB0"
              "C   ");
}

// The mark -1.0101 becomes 0 in the host's array, anywhere in it and for
// both kinds of item; a near miss stays.
TEST(Unpacker, MissingValueMarksBecomeZeroInTheHostsArray)
{
    for (HostItem item : {HostItem{}, HostItem{test::half_pipe_item()}}) {
        item.set({{16, -1.0101f}, {150, -1.0101f}, {17, -1.01f}});
        const test::ItemRun r = test::run(item);
        EXPECT_EQ(r.reals[15], 0.0f);
        EXPECT_EQ(r.reals[149], 0.0f);
        EXPECT_EQ(r.reals[16], -1.01f);
    }
}

// A name after a blank, or a unit that truncates to 0, selects capture:
// no file is written.
TEST(Destination, CaptureWhenTheNameStartsBlankOrTheUnitIsZero)
{
    const std::filesystem::path path = test::scratch_file("unit_zero.txt");
    HostItem blank_first, unit_zero;
    blank_first.file(" " + path.string());
    unit_zero.file(path.string());
    unit_zero[40] = 0.4f;
    for (HostItem* item : {&blank_first, &unit_zero}) {
        Context ctx;
        item->run(ctx);
        EXPECT_EQ(test::text_of(ctx.captured_record(ctx.captured_lines() - 1)), test::kNotice);
        EXPECT_EQ(item->print_control, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
