// The shared library's C entry points, each called with NULL in each of its
// pointer arguments in turn (the others valid): no call reads or writes
// through the NULL (the suite runs under AddressSanitizer too), and each
// answers as its header says.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.hpp"
#include "txappendix14_context.h"
#include "txappendix14_entry.h"

namespace {

using tx14::test::HostItem;

// The typed entry's C interface: a NULL batch or items is an error value,
// a NULL size is not written.
TEST(NullArguments, TypedEntry)
{
    const std::string items = R"([{"kind": "opening", "code": "VIII-1", "units": "US", "P": 100, "t": 4, "Bn": 30,
                                  "A": 60, "g0s": 1, "g1s": 1.5, "hs": 3, "Sho": 20000}])";
    EXPECT_EQ(tx14_batch_run(nullptr, items.data(), items.size(), 0), -2);
    tx14_batch* batch = tx14_batch_create();
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(tx14_batch_run(batch, nullptr, 5, 0), -2);
    EXPECT_EQ(tx14_batch_run(batch, nullptr, 0, 0), -1);  // no text: not an array
    EXPECT_STRNE(tx14_batch_error(batch), "");
    EXPECT_STREQ(tx14_batch_error(nullptr), "");
    ASSERT_EQ(tx14_batch_run(batch, items.data(), items.size(), 0), 1);
    std::size_t size = 0;
    EXPECT_EQ(tx14_batch_outcome(nullptr, 0, TX14_OUTCOME_WHOLE, &size), nullptr);
    const char* whole = tx14_batch_outcome(batch, 0, TX14_OUTCOME_WHOLE, nullptr);
    ASSERT_NE(whole, nullptr);
    EXPECT_NE(std::string(whole).find(R"("verdict":"acceptable")"), std::string::npos);
    for (auto [i, part] : {std::pair{1, 0}, {-1, 0}, {0, 5}, {0, -1}})
        EXPECT_EQ(tx14_batch_outcome(batch, i, part, &size), nullptr) << i << " " << part;
    tx14_batch_destroy(batch);
    tx14_batch_destroy(nullptr);
}

// LGCENTER and tx14_context_analyse with NULL at argument `at` (0: the
// context; 6 to 8, the length words of the host's call, are never read).
void run(tx14_context* ctx, HostItem& item, int at, bool host)
{
    const auto u = [at](int position, auto* p) { return at == position ? nullptr : p; };
    if (host)
        LGCENTER(u(1, item.reals.data()), u(2, item.texts.data()), 15, u(3, &item.run_mode), 1, u(4, &item.error_count),
                 u(5, item.report_file.data()), 256, nullptr, nullptr, nullptr, u(9, item.unit_labels.data()), 10,
                 u(10, item.unit_factors.data()), u(11, &item.print_control));
    else
        tx14_context_analyse(u(0, ctx), u(1, item.reals.data()), u(2, item.texts.data()), u(3, &item.run_mode),
                             u(4, &item.error_count), u(5, item.report_file.data()), nullptr, nullptr, nullptr,
                             u(9, item.unit_labels.data()), u(10, item.unit_factors.data()),
                             u(11, &item.print_control));
}

TEST(NullArguments, RunsOfTheHostAndOfContexts)
{
    tx14_context* ctx = tx14_context_create();
    ASSERT_NE(ctx, nullptr);
    for (int at = -1; at < 12; ++at) {  // -1: every pointer valid
        for (bool host : {false, true}) {
            if ((at >= 6 && at <= 8) || (host && at == 0))
                continue;
            HostItem item;
            run(ctx, item, at, host);
            const std::string where = (host ? "LGCENTER, NULL at " : "context, NULL at ") + std::to_string(at);
            const bool ran = at != 0 && at != 1;
            EXPECT_EQ(item[30] != 0, ran) << where;  // the M.A.W.P.
            const char* block = static_cast<const char*>(host ? GETLINESCOMAUX() : tx14_context_capture_block(ctx));
            std::int32_t captured = 0;  // read where this run wrote it
            if (ran)
                std::memcpy(&captured, block + TX14_CAPTURE_COUNT_OFFSET, sizeof captured);
            EXPECT_EQ(captured > 100, ran) << where;
            EXPECT_EQ(item.print_control, ran && at != 11 ? 1 : -7) << where;
            EXPECT_EQ(item.error_count, ran && at != 4 ? 0 : -7) << where;
        }
    }
    // A NULL context answers as one that ran nothing; a NULL output is not written.
    EXPECT_EQ(tx14_context_capture_block(nullptr), nullptr);
    tx14_context_set_no_special(nullptr, 1);
    for (auto count : {tx14_context_input_errors, tx14_context_value_count, tx14_context_check_count,
                       tx14_context_reason_count, tx14_context_note_count, tx14_context_report_file_error})
        EXPECT_EQ(count(nullptr), 0);
    EXPECT_EQ(tx14_context_verdict(nullptr), TX14_NOT_ANALYSED);
    EXPECT_EQ(tx14_context_governing(nullptr), -1);
    // Check references: none for a NULL context or an index out of range.
    EXPECT_TRUE(tx14_context_check_reference(nullptr, 0) == nullptr &&
                tx14_context_check_reference(ctx, -1) == nullptr &&
                tx14_context_check_reference(ctx, tx14_context_check_count(ctx)) == nullptr);
    ASSERT_GT(tx14_context_value_count(ctx), 0);
    tx14_value value{};
    tx14_check check{};
    tx14_note note{};
    EXPECT_FALSE(tx14_context_value(nullptr, 0, &value) || tx14_context_value(ctx, 0, nullptr));
    EXPECT_FALSE(tx14_context_check(nullptr, 0, &check) || tx14_context_check(ctx, 0, nullptr));
    EXPECT_FALSE(tx14_context_reason(nullptr, 0, &note) || tx14_context_note(nullptr, 0, &note));
    tx14_context_destroy(ctx);
    tx14_context_destroy(nullptr);
}

TEST(NullArguments, ForgingWeightWritesNothing)
{
    const float in[7] = {10, 20, 2, 1, 0.5f, 3, 0.283f};
    for (int at = -1; at < 9; ++at) {
        float W = -1, Wr = -1;
        const auto u = [at](int position, auto* p) { return at == position ? nullptr : p; };
        LGWEIGHT(u(0, &in[0]), u(1, &in[1]), u(2, &in[2]), u(3, &in[3]), u(4, &in[4]), u(5, &in[5]), u(6, &W),
                 u(7, &Wr), u(8, &in[6]));
        EXPECT_EQ(W, at < 0 ? 154.865f : -1) << "NULL at " << at;
        EXPECT_TRUE(at < 0 || Wr == -1) << "NULL at " << at;
    }
}

}  // namespace
