// The shared library's C entry points, each called with NULL in each of its
// pointer arguments in turn (the others valid): no call reads or writes
// through the NULL (the suite runs under AddressSanitizer too), and each
// answers as its header says.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "txappendix14_context.h"
#include "txappendix14_entry.h"

namespace {

using tx14::test::HostItem;

// The pointer argument a call passes as NULL, counted from 0; kNone for a
// call with every pointer valid.
constexpr int kNone = -1;

template <class T>
T* unless(int null_at, int position, T* p)
{
    return null_at == position ? nullptr : p;
}

// The typed entry's C interface: a NULL batch or items is an error value,
// a NULL size is not written; nothing is read through NULL.
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
    EXPECT_STREQ(tx14_batch_error(batch), "");
    std::size_t size = 0;
    EXPECT_EQ(tx14_batch_outcome(nullptr, 0, TX14_OUTCOME_WHOLE, &size), nullptr);
    const char* whole = tx14_batch_outcome(batch, 0, TX14_OUTCOME_WHOLE, nullptr);
    ASSERT_NE(whole, nullptr);
    EXPECT_NE(std::string(whole).find(R"("verdict":"acceptable")"), std::string::npos);
    EXPECT_NE(tx14_batch_outcome(batch, 0, TX14_OUTCOME_SUMMARY, &size), nullptr);
    EXPECT_GT(size, 100u);
    for (auto [i, part] : {std::pair{1, 0}, {-1, 0}, {0, 5}, {0, -1}})
        EXPECT_EQ(tx14_batch_outcome(batch, i, part, &size), nullptr) << i << " " << part;
    tx14_batch_destroy(batch);
    tx14_batch_destroy(nullptr);
    ASSERT_NE(tx14_keys_json(), nullptr);
}

// The arguments of LGCENTER and tx14_context_analyse; the host's call
// leaves out the length words.
void analyse(tx14_context* ctx, HostItem& item, int at)
{
    tx14_context_analyse(unless(at, 0, ctx), unless(at, 1, item.reals.data()), unless(at, 2, item.texts.data()),
                         unless(at, 3, &item.run_mode), unless(at, 4, &item.error_count),
                         unless(at, 5, item.report_file.data()), nullptr, nullptr, nullptr,
                         unless(at, 9, item.unit_labels.data()), unless(at, 10, item.unit_factors.data()),
                         unless(at, 11, &item.print_control));
}

void lgcenter(HostItem& item, int at)
{
    LGCENTER(unless(at, 1, item.reals.data()), unless(at, 2, item.texts.data()), 15, unless(at, 3, &item.run_mode), 1,
             unless(at, 4, &item.error_count), unless(at, 5, item.report_file.data()), 256, nullptr, nullptr, nullptr,
             unless(at, 9, item.unit_labels.data()), 10, unless(at, 10, item.unit_factors.data()),
             unless(at, 11, &item.print_control));
}

// Captured lines of the last run.
std::int32_t captured(const void* block)
{
    std::int32_t count = 0;
    std::memcpy(&count, static_cast<const char*>(block) + TX14_CAPTURE_COUNT_OFFSET, sizeof count);
    return count;
}

TEST(NullArguments, RunsOfTheHostAndOfContexts)
{
    tx14_context* ctx = tx14_context_create();
    ASSERT_NE(ctx, nullptr);
    for (int at = kNone; at < 12; ++at) {
        if (at >= 6 && at <= 8)
            continue;  // the unused words are never read
        for (bool host : {false, true}) {
            if (host && at == 0)
                continue;  // the host's entry has no context
            HostItem item;
            if (host)
                lgcenter(item, at);
            else
                analyse(ctx, item, at);
            const std::string where =
                (host ? "LGCENTER" : "tx14_context_analyse") + std::string(", NULL at ") + std::to_string(at);
            const bool ran = at != 0 && at != 1;
            EXPECT_EQ(item[30] != 0, ran) << where;  // the M.A.W.P.
            if (ran) {
                EXPECT_GT(captured(host ? GETLINESCOMAUX() : tx14_context_capture_block(ctx)), 100) << where;
            }
            EXPECT_EQ(item.print_control, ran && at != 11 ? 1 : -7) << where;
            EXPECT_EQ(item.error_count, ran && at != 4 ? 0 : -7) << where;
        }
    }
    EXPECT_EQ(tx14_context_capture_block(nullptr), nullptr);
    tx14_context_set_no_special(nullptr, 1);
    EXPECT_EQ(tx14_context_input_errors(nullptr), 0);
    EXPECT_EQ(tx14_context_value_count(nullptr), 0);
    EXPECT_EQ(tx14_context_check_count(nullptr), 0);
    EXPECT_EQ(tx14_context_verdict(nullptr), TX14_NOT_ANALYSED);
    EXPECT_EQ(tx14_context_governing(nullptr), -1);
    EXPECT_EQ(tx14_context_report_file_error(nullptr), 0);
    HostItem item;
    analyse(ctx, item, kNone);
    tx14_value value{};
    tx14_check check{};
    tx14_note note{};
    ASSERT_GT(tx14_context_value_count(ctx), 0);
    EXPECT_EQ(tx14_context_value(nullptr, 0, &value), 0);
    EXPECT_EQ(tx14_context_value(ctx, 0, nullptr), 0);
    EXPECT_EQ(tx14_context_check(nullptr, 0, &check), 0);
    EXPECT_EQ(tx14_context_check(ctx, 0, nullptr), 0);
    EXPECT_EQ(tx14_context_reason_count(nullptr), 0);
    EXPECT_EQ(tx14_context_reason(nullptr, 0, &note), 0);
    EXPECT_EQ(tx14_context_note_count(nullptr), 0);
    EXPECT_EQ(tx14_context_note(nullptr, 0, &note), 0);
    tx14_context_destroy(ctx);
    tx14_context_destroy(nullptr);
}

TEST(NullArguments, ForgingWeightWritesNothing)
{
    const float in[7] = {10, 20, 2, 1, 0.5f, 3, 0.283f};
    for (int at = 0; at < 9; ++at) {
        float W = -1, Wr = -1;
        const float* p[7];
        for (int i = 0; i < 7; ++i)
            p[i] = unless(at, i < 6 ? i : 8, &in[i]);
        LGWEIGHT(p[0], p[1], p[2], p[3], p[4], p[5], unless(at, 6, &W), unless(at, 7, &Wr), p[6]);
        EXPECT_TRUE(W == -1 && Wr == -1) << "NULL at " << at;
    }
    float W = -1, Wr = -1;
    LGWEIGHT(&in[0], &in[1], &in[2], &in[3], &in[4], &in[5], &W, &Wr, &in[6]);
    EXPECT_EQ(W, 154.865f);
}

}  // namespace
