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
#include "tx14_items.h"
#include "txappendix14_context.h"

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

// The worked large opening, given as the item interface takes it.
const std::vector<std::pair<const char*, double>> kOpening = {{"P", 100}, {"t", 4},     {"Bn", 30}, {"A", 60},
                                                              {"g0s", 1}, {"g1s", 1.5}, {"hs", 3},  {"Sho", 20000}};

struct Units {
    std::array<double, 22> factors{};
    std::array<char, 230> labels{};
    std::array<std::string, 23> label_texts;
    std::array<const char*, 23> label_pointers{};

    Units()
    {
        EXPECT_EQ(tx14_units_builtin("US", factors.data(), labels.data()), 1);
        for (std::size_t i = 0; i < label_texts.size(); ++i) {
            label_texts[i] = std::string(labels.data() + 10 * i, 10);
            label_pointers[i] = label_texts[i].c_str();
        }
    }
};

// The opening packed for tx14_item_run: five int32, then (key, value)
// pairs of doubles.
std::vector<unsigned char> packed_opening()
{
    std::vector<double> pairs;
    tx14_item_key key{};
    for (int i = 0; tx14_items_number_key("opening", i, &key) == 1; ++i)
        for (auto [name, value] : kOpening)
            if (std::strcmp(key.name, name) == 0)
                pairs.insert(pairs.end(), {static_cast<double>(i), value});
    const std::int32_t head[5] = {0, 0, 0, static_cast<std::int32_t>(pairs.size() / 2), 0};
    std::vector<unsigned char> item(sizeof head + pairs.size() * sizeof(double));
    std::memcpy(item.data(), head, sizeof head);
    std::memcpy(item.data() + sizeof head, pairs.data(), pairs.size() * sizeof(double));
    return item;
}

std::int32_t head_field(const std::vector<unsigned char>& out, int n)
{
    std::int32_t v;
    std::memcpy(&v, out.data() + 4 * n, sizeof v);
    return v;
}

TEST(NullArguments, KeyTablesAnswerAsForAnUnknownName)
{
    int number = -1;
    tx14_item_key key{};
    ASSERT_STREQ(tx14_items_kind(0), "opening");
    EXPECT_EQ(tx14_items_code(nullptr, 0, &number), nullptr);
    EXPECT_STREQ(tx14_items_code("opening", 0, nullptr), "VIII-1");
    for (auto lookup : {tx14_items_number_key, tx14_items_text_key, tx14_items_result}) {
        EXPECT_EQ(lookup(nullptr, 0, &key), 0);
        EXPECT_EQ(lookup("opening", 0, nullptr), 0);
    }
    EXPECT_EQ(tx14_units_slot(nullptr), 0);
}

TEST(NullArguments, UnitSystems)
{
    Units us;
    for (int at = kNone; at < 3; ++at) {
        std::array<double, 22> factors{};
        std::array<char, 230> labels{};
        const int want = at == kNone ? 1 : at == 0 ? 0 : TX14_ITEMS_NULL_ARGUMENT;
        EXPECT_EQ(tx14_units_builtin(unless(at, 0, "US"), unless(at, 1, factors.data()), unless(at, 2, labels.data())),
                  want)
            << "NULL at " << at;
    }
    for (int at = kNone; at < 3; ++at) {
        char messages[200] = "stale";
        const int got = tx14_units_check(unless(at, 0, us.factors.data()), unless(at, 1, us.label_pointers.data()),
                                         unless(at, 2, messages), sizeof messages);
        const std::string said = at == 2 ? "" : messages;
        EXPECT_EQ(got, at == 0 || at == 1 ? TX14_ITEMS_NULL_ARGUMENT : 0) << "NULL at " << at;
        EXPECT_EQ(said, at == 0 ? "no unit factors\n" : at == 1 ? "no unit labels\n" : "") << "NULL at " << at;
    }
    for (std::size_t i = 0; i < us.label_pointers.size(); ++i) {  // a NULL label reads as an empty one
        us.label_pointers[i] = "";
        const int empty = tx14_units_check(us.factors.data(), us.label_pointers.data(), nullptr, 0);
        us.label_pointers[i] = nullptr;
        EXPECT_EQ(tx14_units_check(us.factors.data(), us.label_pointers.data(), nullptr, 0), empty) << "label " << i;
        us.label_pointers[i] = us.label_texts[i].c_str();
    }
}

TEST(NullArguments, BuildingAnItem)
{
    Units us;
    char messages[200];
    // kind, code, factors, labels, messages: the first three are needed.
    for (int at = kNone; at < 5; ++at) {
        tx14_item* item =
            tx14_item_create(unless(at, 0, "opening"), unless(at, 1, "VIII-1"), unless(at, 2, us.factors.data()),
                             unless(at, 3, us.labels.data()), unless(at, 4, messages), sizeof messages);
        EXPECT_EQ(item == nullptr, at >= 0 && at <= 2) << "NULL at " << at;
        tx14_item_destroy(item);
    }
    tx14_item_destroy(nullptr);

    tx14_item* item = tx14_item_create("opening", "VIII-1", us.factors.data(), us.labels.data(), nullptr, 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(tx14_item_key_type(nullptr, "P"), 0);
    EXPECT_EQ(tx14_item_key_type(item, nullptr), 0);
    tx14_item_set_number(nullptr, "P", 1);
    tx14_item_set_number(item, nullptr, 1);
    tx14_item_set_text(nullptr, "material", "SA-105");
    tx14_item_set_text(item, nullptr, "SA-105");
    tx14_item_set_text(item, "material", nullptr);
    tx14_item_set_item_number(nullptr, 1);
    for (auto [key, value] : kOpening)
        tx14_item_set_number(item, key, value);

    // item, reals, texts, errors, warnings: a NULL item is one error, NULL
    // reals or texts the null-argument code, NULL message buffers no
    // messages.
    for (int at = kNone; at < 5; ++at) {
        std::array<float, 200> reals{};
        std::array<char, 45> texts{};
        char errors[200] = "stale", warnings[200] = "stale";
        const int got =
            tx14_item_finish(unless(at, 0, item), unless(at, 1, reals.data()), unless(at, 2, texts.data()),
                             unless(at, 3, errors), sizeof errors, unless(at, 4, warnings), sizeof warnings);
        const int want = at == 0 ? 1 : at == 1 || at == 2 ? TX14_ITEMS_NULL_ARGUMENT : 0;
        EXPECT_EQ(got, want) << "NULL at " << at;
        if (at == 1 || at == 2) {
            EXPECT_EQ(std::string(errors), at == 1 ? "no array for the reals\n" : "no array for the texts\n");
        }
        EXPECT_EQ(reals[4], at == kNone || at >= 3 ? 100.0f : 0.0f) << "NULL at " << at;  // P, element 5
    }
    tx14_item_destroy(item);
}

TEST(NullArguments, OneCallRun)
{
    Units us;
    const std::vector<unsigned char> opening = packed_opening();
    tx14_context* ctx = tx14_context_create();
    ASSERT_NE(ctx, nullptr);
    // context, factors, labels, item, report file, out.
    for (int at = kNone; at < 6; ++at) {
        std::vector<unsigned char> out(1 << 17);
        const std::int32_t needed =
            tx14_item_run(unless(at, 0, ctx), unless(at, 1, us.factors.data()), unless(at, 2, us.labels.data()),
                          unless(at, 3, opening.data()), static_cast<std::int32_t>(opening.size()), unless(at, 4, ""),
                          unless(at, 5, out.data()), static_cast<std::int32_t>(out.size()));
        ASSERT_GT(needed, 40) << "NULL at " << at;
        if (at == 5)
            continue;  // nothing written: the size it needs only
        ASSERT_LE(needed, static_cast<std::int32_t>(out.size()));
        EXPECT_EQ(head_field(out, 0), at >= 1 && at <= 3 ? 1 : 0) << "item errors, NULL at " << at;
        EXPECT_EQ(head_field(out, 2), at == kNone || at == 4 ? TX14_ACCEPTABLE : TX14_NOT_ANALYSED)
            << "verdict, NULL at " << at;
    }

    const double* factors[] = {us.factors.data()};
    const char* labels[] = {us.labels.data()};
    const unsigned char* items[] = {opening.data()};
    const std::int32_t sizes[] = {static_cast<std::int32_t>(opening.size())};
    // context, factors, labels, items, sizes, out, ends.
    for (int at = kNone; at < 7; ++at) {
        std::vector<unsigned char> out(1 << 17);
        std::int32_t ends[1] = {-1};
        const std::int32_t done = tx14_items_run(unless(at, 0, ctx), 1, unless(at, 1, factors), unless(at, 2, labels),
                                                 unless(at, 3, items), unless(at, 4, sizes), unless(at, 5, out.data()),
                                                 static_cast<std::int32_t>(out.size()), unless(at, 6, ends));
        EXPECT_EQ(done, at <= 0 ? 1 : TX14_ITEMS_NULL_ARGUMENT) << "NULL at " << at;
    }
    const double* no_factors[] = {nullptr};
    std::vector<unsigned char> out(1 << 17);
    std::int32_t ends[1];
    ASSERT_EQ(tx14_items_run(ctx, 1, no_factors, labels, items, sizes, out.data(), 1 << 17, ends), 1);
    EXPECT_EQ(head_field(out, 0), 1);  // that item's error
    EXPECT_EQ(tx14_items_run(ctx, -5, factors, labels, items, sizes, out.data(), 1 << 17, ends), 0);
    tx14_context_destroy(ctx);
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
    ASSERT_GT(tx14_context_value_count(ctx), 0);
    EXPECT_EQ(tx14_context_value(nullptr, 0, &value), 0);
    EXPECT_EQ(tx14_context_value(ctx, 0, nullptr), 0);
    EXPECT_EQ(tx14_context_check(nullptr, 0, &check), 0);
    EXPECT_EQ(tx14_context_check(ctx, 0, nullptr), 0);
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
