// The contexts' C entry points: the same run as the C++ context, their own
// special-character flag and error count, and no harm from a null context.
#include <gtest/gtest.h>

#include <cstring>

#include "support/host_item.hpp"
#include "txappendix14_context.h"

using tx14::test::HostItem;

namespace {

struct CContext {
    tx14_context* handle = tx14_context_create();
    ~CContext() { tx14_context_destroy(handle); }

    void run(HostItem& item)
    {
        tx14_context_analyse(handle, item.reals.data(), item.texts.data(), &item.run_mode,
                             &item.error_count, item.report_file.data(), nullptr, nullptr, nullptr,
                             item.unit_labels.data(), item.unit_factors.data(), &item.print_control);
    }

    std::int32_t count() const
    {
        std::int32_t n = 0;
        std::memcpy(&n, static_cast<const char*>(tx14_context_capture_block(handle)) + 62500, sizeof n);
        return n;
    }
};

TEST(ContextEntryPoints, CaptureBlockMatchesTheCxxContext)
{
    HostItem for_c, for_cxx;
    for_c.at(40) = for_cxx.at(40) = 0;  // capture in memory
    CContext c;
    tx14::Context cxx;
    c.run(for_c);
    for_cxx.run(cxx);
    ASSERT_GT(c.count(), 100);
    EXPECT_EQ(c.count(), cxx.captured_lines());
    EXPECT_EQ(0, std::memcmp(tx14_context_capture_block(c.handle), cxx.capture_block(),
                             static_cast<std::size_t>(c.count()) * 125));
    EXPECT_EQ(for_c.reals, for_cxx.reals);
    EXPECT_EQ(for_c.print_control, 1);
}

TEST(ContextEntryPoints, FlagAndErrorsBelongToEachContext)
{
    CContext plain, special;
    tx14_context_set_no_special(plain.handle, 1);
    HostItem jacket_with_nothing, opening;
    jacket_with_nothing.at(200) = 1;
    jacket_with_nothing.at(40) = opening.at(40) = 0;
    plain.run(jacket_with_nothing);
    special.run(opening);
    EXPECT_GT(tx14_context_input_errors(plain.handle), 0);  // the error count covers openings only
    EXPECT_EQ(tx14_context_input_errors(special.handle), 0);

    HostItem again;
    again.at(40) = 0;
    plain.run(again);
    auto block = [](const CContext& c) { return static_cast<const char*>(tx14_context_capture_block(c.handle)); };
    ASSERT_EQ(plain.count(), special.count());
    EXPECT_NE(0, std::memcmp(block(plain), block(special), static_cast<std::size_t>(plain.count()) * 125));
}

TEST(ContextEntryPoints, NullContextIsIgnored)
{
    HostItem item;
    tx14_context_analyse(nullptr, item.reals.data(), item.texts.data(), &item.run_mode,
                         &item.error_count, item.report_file.data(), nullptr, nullptr, nullptr,
                         item.unit_labels.data(), item.unit_factors.data(), &item.print_control);
    EXPECT_EQ(item.print_control, -7);
    EXPECT_EQ(tx14_context_capture_block(nullptr), nullptr);
    EXPECT_EQ(tx14_context_input_errors(nullptr), 0);
    tx14_context_set_no_special(nullptr, 1);
    tx14_context_destroy(nullptr);
}

}  // namespace
