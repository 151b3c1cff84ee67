// The C entry points: each context with its own special-character flag,
// error count and report file error, the values it records, and no harm
// from a null context. (Contexts on threads: the Python package's pool.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string_view>
#include <vector>

#include "support/test_support.hpp"
#include "txappendix14_context.h"

namespace {

using tx14::test::HostItem;

struct CContext {
    tx14_context* handle = tx14_context_create();
    ~CContext() { tx14_context_destroy(handle); }
    void run(HostItem& item)
    {
        tx14_context_analyse(handle, item.reals.data(), item.texts.data(), &item.run_mode, &item.error_count,
                             item.report_file.data(), nullptr, nullptr, nullptr, item.unit_labels.data(),
                             item.unit_factors.data(), &item.print_control);
    }
    const char* block() const { return static_cast<const char*>(tx14_context_capture_block(handle)); }
    std::int32_t count() const
    {
        std::int32_t n = 0;
        std::memcpy(&n, block() + TX14_CAPTURE_COUNT_OFFSET, sizeof n);
        return n;
    }
};

// (That they give the C++ context's run: the Python package's comparison
// with tx14.)
TEST(ContextEntryPoints, EachContextHasItsOwnFlagAndErrors)
{
    HostItem for_c;
    CContext c, plain;
    c.run(for_c);
    ASSERT_GT(c.count(), 100);
    EXPECT_EQ(for_c.print_control, 1);

    tx14_context_set_no_special(plain.handle, 1);
    HostItem jacket_with_nothing, again;
    jacket_with_nothing[200] = 1;
    plain.run(jacket_with_nothing);
    EXPECT_GT(tx14_context_input_errors(plain.handle), 0);  // the error count covers openings only
    EXPECT_EQ(tx14_context_input_errors(c.handle), 0);
    plain.run(again);
    ASSERT_EQ(plain.count(), c.count());
    EXPECT_NE(0, std::memcmp(plain.block(), c.block(), static_cast<std::size_t>(plain.count()) * 125));
    HostItem to_full_disk;
    to_full_disk.file("/dev/full");
    to_full_disk[40] = 6;
    c.run(to_full_disk);
    EXPECT_EQ(tx14_context_report_file_error(c.handle), ENOSPC);
    EXPECT_EQ(tx14_context_report_file_error(plain.handle), 0);
    c.run(for_c);  // the next run starts clean
    EXPECT_EQ(tx14_context_report_file_error(c.handle), 0);
}

// The number on the result line of the block whose caption holds `caption`
// (its last line before the blank one), or after `caption` on its own line
// when `caption` starts with '>'.
std::string printed_value(const std::vector<std::string>& lines, std::string_view caption)
{
    const bool same_line = caption.starts_with('>');
    caption.remove_prefix(same_line ? 1 : 0);
    auto i = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(caption) != l.npos; });
    if (i == lines.end())
        return "caption not found";
    while (!same_line && i + 1 != lines.end() && !i[1].empty())
        ++i;
    std::istringstream rest(same_line ? i->substr(i->find(caption) + caption.size()) : i->substr(i->find("= ") + 2));
    std::string number;
    rest >> number;
    return number;
}

TEST(ContextEntryPoints, RecordedValuesAreTheReportsPrintedOnes)
{
    struct Printed {
        const char* key;
        const char* caption;
        int decimals;
        const char* unit;
    };
    const Printed printed[] = {
        {"G", "[G]:", 3, "in."},
        {"K", "[K]:", 3, ""},
        {"Hd", "[Hd]:", 3, "lb."},
        {"Md", "[Md]:", 3, "ft-lb."},
        {"Mo", "[Mo]:", 3, "ft-lb."},
        {"ST", "[ST]:", 3, "psi"},
        {"MH", "[MH]:", 3, "ft-lb."},
        {"X1", "[X1]:", 3, ""},
        {"SHS", "[SHS]:", 3, "psi"},
        {"STO", "[Sto]:", 3, "psi"},
        {"E_theta", "[(E", 3, "psi"},
        {"MAWP", ">M.A.W.P. for the given Geometry", 3, "psi"},
        {"W", ">Estimated Finished Weight of Forging", 1, "lb."},
        {"t_min", ">Approximate Minimum Flange Thickness", 4, "in."},
    };
    CContext c;
    HostItem item;  // the verified worked example
    c.run(item);
    const std::vector<std::string> lines = tx14::test::run(HostItem{}).lines;
    std::map<std::string, tx14_value> values;
    tx14_value v;
    for (int i = 0; tx14_context_value(c.handle, i, &v); ++i)
        values[v.key] = v;
    ASSERT_EQ(static_cast<int>(values.size()), tx14_context_value_count(c.handle));
    for (const Printed& p : printed) {
        ASSERT_EQ(values.count(p.key), 1u) << p.key;
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.*f", p.decimals, static_cast<double>(values[p.key].display));
        EXPECT_EQ(shown, printed_value(lines, p.caption)) << p.key;
        EXPECT_STREQ(values[p.key].unit, p.unit) << p.key;
    }
    EXPECT_EQ(tx14_context_verdict(c.handle), TX14_ACCEPTABLE);
    tx14_check governing;
    ASSERT_TRUE(tx14_context_check(c.handle, tx14_context_governing(c.handle), &governing));
    EXPECT_STREQ(governing.key, "ST_opening");  // on a par with the M.A.W.P., which rests on it
    EXPECT_FALSE(tx14_context_check(c.handle, tx14_context_check_count(c.handle), &governing));
}

// Not analysed always comes with its reasons: the fatal input errors, or
// the values the verdict would rest on that are not finite.
TEST(ContextEntryPoints, ANumberThatIsNotFiniteLeavesTheItemNotAnalysed)
{
    const struct {
        int element;
        float value;
        int input_errors;
        const char* reason;
    } cases[] = {
        {9, INFINITY, 0, "not_finite"},   // A
        {15, INFINITY, 0, "not_finite"},  // Sho
        {9, NAN, 1, "input_error"},       // A: the opening cannot be placed
    };
    for (const auto& k : cases) {
        CContext c;
        HostItem item;
        item[k.element] = k.value;
        c.run(item);
        EXPECT_EQ(tx14_context_input_errors(c.handle), k.input_errors) << k.element;
        EXPECT_EQ(tx14_context_verdict(c.handle), TX14_NOT_ANALYSED) << k.element;
        tx14_note reason{};
        ASSERT_TRUE(tx14_context_reason(c.handle, 0, &reason)) << k.element;
        EXPECT_STREQ(reason.code, k.reason) << k.element << ": " << reason.text;
        EXPECT_FALSE(tx14_context_reason(c.handle, tx14_context_reason_count(c.handle), &reason));
    }
}

// Each check names where the code states it, as its report names it.
TEST(ContextEntryPoints, EachCheckNamesWhereTheCodeStatesIt)
{
    using namespace tx14::test;
    const struct {
        HostItem item;
        const char* key;
        const char* reference;
    } cases[] = {
        {HostItem{}, "ST_opening", "App. 14"},           {appendix_ee_item(), "Tr", "UG-27, Eq. (1)"},
        {appendix_ee_item(), "T", "App. EE-1, Eq. (2)"}, {div2_item(), "Pprime_ts", "4.11.6.4, Eq. 4.11.3"},
        {limpet_coil_item(), "e_cylinder", "3.11.3-7"},  {en13445_item(), "pMaxC1", "8.5.3.5"},
    };
    for (auto c : cases) {
        CContext ctx;
        ctx.run(c.item);
        const int n = tx14_context_check_count(ctx.handle);
        ASSERT_GT(n, 0) << c.key;
        tx14_check check;
        int found = 0;
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(tx14_context_check(ctx.handle, i, &check));
            const char* reference = tx14_context_check_reference(ctx.handle, i);
            ASSERT_NE(reference, nullptr);
            EXPECT_NE(*reference, '\0') << check.key << ": every check of the code names its paragraph";
            if (std::string_view(check.key) == c.key) {
                EXPECT_STREQ(reference, c.reference) << c.key;
                ++found;
            }
        }
        EXPECT_EQ(found, 1) << c.key;
        EXPECT_EQ(tx14_context_check_reference(ctx.handle, n), nullptr);
        EXPECT_EQ(tx14_context_check_reference(ctx.handle, -1), nullptr);
    }
    EXPECT_EQ(tx14_context_check_reference(nullptr, 0), nullptr);
}

TEST(ContextEntryPoints, NullContextIsIgnored)
{
    CContext none{nullptr};  // destroyed too
    HostItem item;
    none.run(item);
    EXPECT_EQ(item.print_control, -7);
    EXPECT_EQ(none.block(), nullptr);
    EXPECT_EQ(tx14_context_input_errors(nullptr), 0);
    EXPECT_EQ(tx14_context_report_file_error(nullptr), 0);
    tx14_context_set_no_special(nullptr, 1);
}

}  // namespace
