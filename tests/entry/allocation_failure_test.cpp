// Memory running out inside a C entry point comes back as that entry point's
// error value, never as an exception into a C caller, and leaves its object
// fit for the next call. This program's operator new fails at the n-th
// allocation of a call, for every n the call reaches. The host's entry
// points allocate nothing, so running out cannot touch them. Left out of
// sanitizer builds, whose runtime replaces the allocation functions itself.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "support/test_support.hpp"
#include "txappendix14_context.h"
#include "txappendix14_entry.h"

extern "C" const char* tx14_sheet_html(const char* item, std::size_t size, const char* name, const char* sha256,
                                       const char* date_time, int letter);  // web/sheet_c.cpp

namespace {

std::atomic<bool> armed{false};
std::atomic<long> made{0};      // allocations since the call was armed
std::atomic<long> fail_at{-1};  // the one that fails, from 0; -1: none

void* allocate(std::size_t n, std::size_t alignment)
{
    if (armed.load(std::memory_order_relaxed) && made.fetch_add(1, std::memory_order_relaxed) == fail_at.load())
        throw std::bad_alloc();
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(n ? n : 1)
                  : std::aligned_alloc(alignment, (n + alignment - 1) / alignment * alignment);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

}  // namespace

// The other forms of new (nothrow, arrays) call these two; delete frees.
void* operator new(std::size_t n) { return allocate(n, 0); }
void* operator new(std::size_t n, std::align_val_t a) { return allocate(n, static_cast<std::size_t>(a)); }

namespace {

using tx14::test::HostItem;

// The calls made while it lives fail their allocation `n` (-1: none);
// reached(n) tells whether they made it.
struct FailingAt {
    explicit FailingAt(long n) { made = 0, fail_at = n, armed = true; }
    ~FailingAt() { armed = false; }
};

bool reached(long n) { return n >= 0 && made.load() > n; }

// `call()` with allocation n failing, as text: "<failure> then <answer of
// a second call without one>" when it answers `failure` (the object it
// works on stays fit for use), else its answer.
template <class Call, class Text>
std::string answer(long n, Call call, Text text, const std::string& failure)
{
    const auto result = (FailingAt(n), call());  // armed until the result is in
    const std::string got = text(result);
    return got == failure ? got + " then " + text(call()) : got;
}

const std::string kItem = R"({"kind": "opening", "code": "VIII-1", "units": "US", "P": 100, "t": 4, "Bn": 30,
    "A": 60, "g0s": 1, "g1s": 1.5, "hs": 3, "ca": 0.125, "Sho": 20000})";
const std::string kItems =
    "[" + kItem + R"(, {"kind": "jacket", "code": "VIII-1", "units": "US", "P": 100, "Pj": 150}])";

std::string text_or_null(const char* p) { return p ? std::string(p) : "NULL"; }

// Every outcome of the batch's last run (n of them; -1: the error), whole.
std::string outcomes(tx14_batch* b, std::int32_t n)
{
    std::string all = n < 0 ? std::to_string(n) + " " + tx14_batch_error(b) : std::to_string(n);
    for (std::int32_t i = 0; i < n; ++i)
        all += "\n" + text_or_null(tx14_batch_outcome(b, i, TX14_OUTCOME_WHOLE, nullptr));
    return all;
}

using Batch = std::unique_ptr<tx14_batch, decltype(&tx14_batch_destroy)>;
Batch batch() { return {tx14_batch_create(), tx14_batch_destroy}; }

// What a host reads back after its call of an item, captured and to a
// file, with allocation n failing: result elements, counts, captured
// records, the report file. LGCENTER, or a context made beforehand.
std::string host_answer(long n, bool host)
{
    static tx14::Context context;
    const std::filesystem::path file = tx14::test::scratch_file("without_memory.txt");
    std::string got;
    for (const bool to_file : {false, true}) {
        HostItem item;
        if (to_file)
            item.file(file.string());
        {
            FailingAt f(n);
            if (host)
                LGCENTER(item.reals.data(), item.texts.data(), 15, &item.run_mode, 1, &item.error_count,
                         item.report_file.data(), 256, nullptr, nullptr, nullptr, item.unit_labels.data(), 10,
                         item.unit_factors.data(), &item.print_control);
            else
                item.run(context);
        }
        const char* capture = static_cast<const char*>(host ? GETLINESCOMAUX() : context.capture_block());
        std::int32_t count;
        std::memcpy(&count, capture + TX14_CAPTURE_COUNT_OFFSET, sizeof count);
        got += std::string(reinterpret_cast<const char*>(item.reals.data()), sizeof item.reals) +
               std::to_string(item.error_count) + "/" + std::to_string(item.print_control) + "\n" +
               std::string(capture, static_cast<std::size_t>(count) * TX14_CAPTURE_RECORD_WIDTH);
    }
    return got + tx14::test::read_file(file);
}

// An entry point: its answer with allocation n failing (-1: none). The
// host's entry points allocate nothing, and so answer in full.
struct Allocating {
    const char* name;
    std::string (*call)(long);
    bool allocates = true;
};

const Allocating kAllocating[] = {
    {"tx14_batch_create",
     [](long n) {
         const auto text = [](tx14_batch* b) { return Batch(b, tx14_batch_destroy) ? "made" : "NULL"; };
         return answer(n, tx14_batch_create, text, "NULL");
     }},
    {"tx14_context_create",
     [](long n) {
         const auto text = [](tx14_context* c) { return tx14_context_destroy(c), c ? "made" : "NULL"; };
         return answer(n, tx14_context_create, text, "NULL");
     }},
    {"tx14_batch_run",
     [](long n) {
         const Batch b = batch();
         return answer(
             n, [&] { return tx14_batch_run(b.get(), kItems.data(), kItems.size(), 0); },
             [&](std::int32_t count) { return outcomes(b.get(), count); }, "-1 out of memory");
     }},
    {"tx14_batch_outcome",
     [](long n) {
         const Batch b = batch();
         tx14_batch_run(b.get(), kItems.data(), kItems.size(), 0);
         return answer(
             n, [&] { return tx14_batch_outcome(b.get(), 1, TX14_OUTCOME_WHOLE, nullptr); }, text_or_null, "NULL");
     }},
    {"tx14_sheet_html",
     [](long n) {
         const auto sheet = [] {
             return tx14_sheet_html(kItem.data(), kItem.size(), "head.toml", "00", "2026-12-07 12:00", 0);
         };
         return answer(n, sheet, text_or_null, "NULL");
     }},
    {"LGCENTER", [](long n) { return host_answer(n, true); }, false},
    {"context", [](long n) { return host_answer(n, false); }, false},
};

class OutOfMemory : public ::testing::TestWithParam<Allocating> {};

// Allocation n failing, for each n the call reaches: each of the first 200,
// then in steps of a thirtieth of the way so far.
TEST_P(OutOfMemory, IsTheErrorValueAndTheNextCallWorks)
{
    const Allocating& entry = GetParam();
    const std::string whole = entry.call(-1);
    long failures = 0;
    for (long n = 0;; n += n < 200 ? 1 : 1 + n / 30) {
        std::string got;
        try {
            got = entry.call(n);
        } catch (...) {
            FAIL() << "an exception left " << entry.name << " at allocation " << n;
        }
        if (!reached(n)) {
            EXPECT_EQ(got, whole) << "no allocation failed";
            break;
        }
        ++failures;
        // An allocation failure the library handles itself may still give
        // the whole answer; anything else is the error value.
        ASSERT_TRUE(got == whole || got.ends_with(" then " + whole))
            << entry.name << ", allocation " << n << ": " << got;
    }
    EXPECT_EQ(failures > 0, entry.allocates) << entry.name << ": " << failures << " allocations failed";
}

INSTANTIATE_TEST_SUITE_P(CEntryPoints, OutOfMemory, ::testing::ValuesIn(kAllocating),
                         [](const auto& info) { return std::string(info.param.name); });

// The keys are made once and kept: each failure before the first success
// answers NULL, and then they are there.
TEST(OutOfMemory, KeysAreNullUntilMade)
{
    const char* keys = nullptr;
    for (long n = 0; keys == nullptr; ++n) {
        keys = (FailingAt(n), tx14_keys_json());
        ASSERT_EQ(keys == nullptr, reached(n)) << "allocation " << n << " failing";
    }
    EXPECT_NE(std::string(keys).find("\"opening\""), std::string::npos);
    EXPECT_EQ(tx14_keys_json(), keys);
}

}  // namespace
