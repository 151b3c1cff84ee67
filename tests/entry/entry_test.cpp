// The entry: units, unpacking, the report's destination, absent arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "entry/state.hpp"
#include "opening/opening_input.hpp"
#include "support/test_support.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tx14;
using test::HostItem;
using test::kNotice;

std::string last_line(const Context& ctx) { return test::text_of(ctx.captured_record(ctx.captured_lines() - 1)); }

TEST(Units, LabelsAreLeftAdjustedAndCutToTheirSlot)
{
    HostItem item;
    item.label(9, "   psi");
    item.label(6, "   lbf/in\xB2");
    item.label(21, "millimetre");
    item.label(7, " C");
    item.unit_factors[20] = 25.4f;
    UnitRecord u;
    take_over_units(u, item.unit_factors.data(), item.unit_labels.data());
    EXPECT_EQ(u.pressure.text(), "psi       ");
    EXPECT_EQ(u.stress.text(), "lbf/in\xB2   ");
    EXPECT_EQ(u.diameter.text(), "mil");
    EXPECT_EQ(u.diameter.factor, 25.4f);
    EXPECT_EQ(u.temperature_text(),
              "\xB0"
              "C   ");
    EXPECT_EQ(std::string_view(u.labels[8].data(), 10), "   psi    ");  // the table keeps them as given
}

// The mark -1.0101 becomes 0 in the host's array, anywhere in it and for
// both kinds of item; a near miss stays.
TEST(Unpacker, MissingValueMarksBecomeZeroInTheHostsArray)
{
    for (HostItem item : {HostItem{}, HostItem{test::half_pipe_item()}}) {
        item.set({{16, -1.0101f}, {19, -1.0101f}, {150, -1.0101f}, {17, -1.01f}});
        const test::ItemRun r = test::run(item);
        EXPECT_EQ(r.reals[15], 0.0f);
        EXPECT_EQ(r.reals[18], 0.0f);
        EXPECT_EQ(r.reals[149], 0.0f);
        EXPECT_EQ(r.reals[16], -1.01f);
    }
}

TEST(Unpacker, IntegersAreTruncatedTowardZeroAndNeverOverflow)
{
    HostItem item;
    for (auto [value, expected] : {std::pair{7.9f, 7}, {-7.9f, -7}, {3e9f, 0}, {std::nanf(""), 0}}) {
        item[1] = value;
        item[25] = value;
        OpeningInput in;
        unpack_opening_input(in, item.reals.data(), item.texts.data());
        EXPECT_EQ(in.item, expected) << value;
        EXPECT_EQ(in.code, expected) << value;
    }
}

TEST(Destination, CaptureWhenTheNameStartsBlankOrTheUnitIsZero)
{
    const fs::path path = test::scratch_file("unit_zero.txt");
    HostItem blank_first, unit_zero;
    blank_first.file(" " + path.string());  // a name after a blank still selects capture
    unit_zero.file(path.string());
    unit_zero[40] = 0.4f;  // truncates to 0
    for (HostItem* item : {&blank_first, &unit_zero}) {
        Context ctx;
        item->run(ctx);
        EXPECT_EQ(last_line(ctx), kNotice);
        EXPECT_EQ(item->print_control, 1);
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(Destination, NullArgumentsAreTreatedAsAbsent)
{
    Context ctx;
    HostItem item;
    ctx.analyse(item.reals.data(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(last_line(ctx), kNotice);
    ctx.analyse(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
