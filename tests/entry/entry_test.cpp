// The entry: units, report destination, unpacking, print control.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "entry/input_arrays.hpp"
#include "entry/lgcenter.hpp"
#include "support/host_item.hpp"

using namespace tx14;
using tx14::test::HostItem;
using tx14::test::line_of;

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string last_line_of(const Context& ctx) { return line_of(ctx, ctx.captured_lines() - 1); }

constexpr std::string_view kNotice = "TXAppendix14 Calculation Library, Copyright \xA9 2026";

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
    EXPECT_EQ(u.temperature_text(), "\xB0" "C   ");
    EXPECT_EQ(std::string_view(u.labels[8].data(), 10), "   psi    ");  // the table keeps them as given
}

TEST(Unpacker, MissingValueMarksBecomeZeroInTheHostsArray)
{
    HostItem item;
    item.at(16) = -1.0101f;
    item.at(150) = -1.0101f;
    item.at(17) = -1.01f;
    item.at(25) = 2.9f;
    OpeningInput in;
    unpack_opening_input(in, item.reals.data(), item.texts.data());
    EXPECT_EQ(item.at(16), 0.0f);
    EXPECT_EQ(item.at(150), 0.0f);
    EXPECT_EQ(item.at(17), -1.01f);
    EXPECT_EQ(in.Shg, 0.0f);
    EXPECT_EQ(in.code, 2);
    EXPECT_EQ(in.A, 60.0f);
    EXPECT_EQ(std::string_view(in.material.data(), 15), "SA-105         ");
    EXPECT_EQ(std::string_view(in.description.data(), 15), "Top head       ");
}

TEST(Unpacker, IntegersAreTruncatedTowardZeroAndNeverOverflow)
{
    HostItem item;
    for (auto [value, expected] : {std::pair{7.9f, 7}, {-7.9f, -7}, {3e9f, 0}, {std::nanf(""), 0}}) {
        item.at(1) = value;
        OpeningInput in;
        unpack_opening_input(in, item.reals.data(), item.texts.data());
        EXPECT_EQ(in.item, expected) << value;
    }
}

TEST(Destination, CaptureWhenTheNameStartsBlankOrUnitIsZero)
{
    Context ctx;
    HostItem item;
    item.file(" report.txt");  // a name after a blank still selects capture
    item.run(ctx);
    EXPECT_GT(ctx.captured_lines(), 1);
    EXPECT_EQ(last_line_of(ctx), kNotice);
    EXPECT_EQ(item.print_control, 1);

    fs::path path = fs::path(::testing::TempDir()) / "tx14_unit_zero.txt";
    fs::remove(path);
    HostItem unit_zero;
    unit_zero.file(path.string());
    unit_zero.at(40) = 0.4f;  // truncates to 0
    unit_zero.run(ctx);
    EXPECT_EQ(last_line_of(ctx), kNotice);
    EXPECT_FALSE(fs::exists(path));
}

TEST(Destination, FileModeAppendsAndKeepsEarlierContent)
{
    fs::path path = fs::path(::testing::TempDir()) / "tx14_append.txt";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "earlier report\n";
    }
    Context ctx;
    HostItem item;
    item.file(path.string());
    item.run(ctx);
    item.run(ctx);
    EXPECT_EQ(ctx.captured_lines(), 0);
    std::string text = read_file(path);
    EXPECT_EQ(text.rfind("earlier report\n", 0), 0u);
    std::string notice_record = " " + std::string(kNotice) + std::string(101 - 1 - kNotice.size(), ' ') +
                                std::string(7, ' ') + " 1 0 0 1 0 2\n";
    std::size_t first = text.find(notice_record);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find(notice_record, first + 1), std::string::npos);  // two reports appended
    EXPECT_EQ(text.substr(text.size() - notice_record.size()), notice_record);
    fs::remove(path);
}

TEST(Destination, AFileThatCannotBeOpenedEndsTheRunAtOnce)
{
    fs::path dir = fs::path(::testing::TempDir());
    const std::string unopenable[] = {dir.string(), (dir / "no such folder" / "r.txt").string()};
    for (const std::string& name : unopenable) {
        Context ctx;
        HostItem item;
        item.file(name);
        item.at(16) = -1.0101f;
        item.run(ctx);
        EXPECT_EQ(ctx.captured_lines(), 0) << name;
        EXPECT_EQ(item.error_count, -7) << name;       // not touched
        EXPECT_EQ(item.at(16), -1.0101f) << name;      // not unpacked
        EXPECT_EQ(item.at(30), 0.0f) << name;          // no results
        EXPECT_EQ(item.print_control, 1) << name;
    }
    // A negative unit number cannot be opened either; nothing is captured.
    Context ctx;
    HostItem item;
    fs::path path = dir / "tx14_negative_unit.txt";
    item.file(path.string());
    item.at(40) = -3;
    item.run(ctx);
    EXPECT_EQ(ctx.captured_lines(), 0);
    EXPECT_FALSE(fs::exists(path));
}

TEST(Destination, NullArgumentsAreTreatedAsAbsent)
{
    Context ctx;
    HostItem item;
    ctx.analyse(item.reals.data(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(last_line_of(ctx), kNotice);
    ctx.analyse(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
