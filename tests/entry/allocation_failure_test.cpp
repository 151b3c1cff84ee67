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
#include <functional>
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

void* allocate_or_null(std::size_t n, std::size_t alignment) noexcept
{
    try {
        return allocate(n, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t n) { return allocate(n, 0); }
void* operator new[](std::size_t n) { return allocate(n, 0); }
void* operator new(std::size_t n, std::align_val_t a) { return allocate(n, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return allocate(n, static_cast<std::size_t>(a)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocate_or_null(n, 0); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return allocate_or_null(n, 0); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

// The allocation `n` of the calls made while it lives fails (-1: none);
// hit() tells whether the calls reached it.
class FailingAt {
public:
    explicit FailingAt(long n)
    {
        made = 0;
        fail_at = n;
        armed = true;
    }
    ~FailingAt() { armed = false; }
    FailingAt(const FailingAt&) = delete;
    FailingAt& operator=(const FailingAt&) = delete;
};

bool reached(long n) { return n >= 0 && made.load() > n; }

const std::string kItems = R"([{"kind": "opening", "code": "VIII-1", "units": "US", "P": 100, "t": 4, "Bn": 30,
    "A": 60, "g0s": 1, "g1s": 1.5, "hs": 3, "ca": 0.125, "Sho": 20000},
  {"kind": "jacket", "code": "VIII-1", "units": "US", "P": 100, "Pj": 150}])";
const std::string kItem = R"({"kind": "opening", "code": "VIII-1", "units": "US", "P": 100, "t": 4, "Bn": 30,
    "A": 60, "g0s": 1, "g1s": 1.5, "hs": 3, "ca": 0.125, "Sho": 20000})";

std::string text_or_null(const char* p) { return p ? std::string(p) : "NULL"; }

// Every outcome of the batch's last run, whole.
std::string outcomes(tx14_batch* b, std::int32_t n)
{
    std::string all = std::to_string(n);
    for (std::int32_t i = 0; i < n; ++i)
        all += "\n" + text_or_null(tx14_batch_outcome(b, i, TX14_OUTCOME_WHOLE, nullptr));
    return all;
}

struct BatchOf {
    tx14_batch* b = tx14_batch_create();
    ~BatchOf() { tx14_batch_destroy(b); }
};

// An entry point that allocates: `call(n)` calls it with allocation n
// failing (-1: none) and returns what came back; after a failure it calls
// again without one and adds what that gave, so that the answer to a
// failure is exactly `error` followed by the answer without one.
struct Allocating {
    const char* name;
    std::function<std::string(long)> call;
    std::string error;
};

const Allocating kAllocating[] = {
    {"tx14_batch_create",
     [](long n) {
         tx14_batch* b;
         {
             FailingAt f(n);
             b = tx14_batch_create();
         }
         std::string got = b ? "a batch" : "NULL then ";
         if (b == nullptr)
             got += (b = tx14_batch_create()) ? "a batch" : "NULL";
         tx14_batch_destroy(b);
         return got;
     },
     "NULL then "},
    {"tx14_context_create",
     [](long n) {
         tx14_context* c;
         {
             FailingAt f(n);
             c = tx14_context_create();
         }
         std::string got = c ? "a context" : "NULL then ";
         if (c == nullptr)
             got += (c = tx14_context_create()) ? "a context" : "NULL";
         tx14_context_destroy(c);
         return got;
     },
     "NULL then "},
    {"tx14_batch_run",
     [](long n) {
         BatchOf batch;
         std::int32_t count;
         {
             FailingAt f(n);
             count = tx14_batch_run(batch.b, kItems.data(), kItems.size(), 0);
         }
         std::string got;
         if (count == -1) {
             got = "-1 " + std::string(tx14_batch_error(batch.b)) + " then ";
             count = tx14_batch_run(batch.b, kItems.data(), kItems.size(), 0);
         }
         return got + outcomes(batch.b, count);
     },
     "-1 out of memory then "},
    {"tx14_batch_outcome",
     [](long n) {
         BatchOf batch;
         tx14_batch_run(batch.b, kItems.data(), kItems.size(), 0);
         const char* part;
         std::size_t size = 0;
         {
             FailingAt f(n);
             part = tx14_batch_outcome(batch.b, 1, TX14_OUTCOME_WHOLE, &size);
         }
         std::string got = part ? std::string(part, size) : "NULL then ";
         if (part == nullptr)
             got += text_or_null(tx14_batch_outcome(batch.b, 1, TX14_OUTCOME_WHOLE, nullptr));
         return got;
     },
     "NULL then "},
    {"tx14_sheet_html",
     [](long n) {
         const char* html;
         {
             FailingAt f(n);
             html = tx14_sheet_html(kItem.data(), kItem.size(), "head.toml", "00", "2026-12-07 12:00", 0);
         }
         std::string got = html ? std::string(html) : "NULL then ";
         if (html == nullptr)
             got += text_or_null(tx14_sheet_html(kItem.data(), kItem.size(), "head.toml", "00", "2026-12-07 12:00", 0));
         return got;
     },
     "NULL then "},
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
            ADD_FAILURE() << "an exception left " << entry.name << " at allocation " << n;
            return;
        }
        if (!reached(n)) {
            EXPECT_EQ(got, whole) << "no allocation failed";
            break;
        }
        ++failures;
        // An allocation failure the library handles itself may still give
        // the whole answer; anything else is the error value.
        if (got != whole) {
            ASSERT_EQ(got, entry.error + whole) << entry.name << ", allocation " << n << " failing";
        }
    }
    EXPECT_GT(failures, 0) << entry.name << " allocated nothing: the test failed nothing";
}

INSTANTIATE_TEST_SUITE_P(CEntryPoints, OutOfMemory, ::testing::ValuesIn(kAllocating),
                         [](const auto& info) { return std::string(info.param.name); });

// The keys are made once and kept: each failure before the first success
// answers NULL, and then they are there.
TEST(OutOfMemory, KeysAreNullUntilMade)
{
    long n = 0;
    const char* keys;
    for (;; ++n) {
        {
            FailingAt f(n);
            keys = tx14_keys_json();
        }
        if (!reached(n))
            break;
        ASSERT_EQ(keys, nullptr) << "allocation " << n << " failing";
    }
    ASSERT_NE(keys, nullptr);
    EXPECT_NE(std::string(keys).find("\"opening\""), std::string::npos);
    EXPECT_EQ(tx14_keys_json(), keys);
}

// The host's calls of an item, captured and to a file, as the host reads
// them back: result elements, error count, captured records.
std::string host_answer(const tx14::test::HostItem& item, const void* capture)
{
    std::string got(reinterpret_cast<const char*>(item.reals.data()), sizeof item.reals);
    got += std::to_string(item.error_count) + "/" + std::to_string(item.print_control) + "\n";
    std::int32_t count;
    std::memcpy(&count, static_cast<const char*>(capture) + TX14_CAPTURE_COUNT_OFFSET, sizeof count);
    return got +
           std::string(static_cast<const char*>(capture), static_cast<std::size_t>(count) * TX14_CAPTURE_RECORD_WIDTH);
}

// A host's call of an item with allocation n failing (-1: none), and what
// the host reads back.
struct HostCall {
    const char* name;
    std::function<std::string(tx14::test::HostItem&, long)> call;
};

const HostCall kHostCalls[] = {
    {"LGCENTER",
     [](tx14::test::HostItem& item, long n) {
         float W = 0, Wr = 0;
         const float B = 30, A = 60, t = 4, g1 = 1.5f, g0 = 1, h = 3, density = 0.283f;
         const void* capture;
         {
             FailingAt f(n);
             LGCENTER(item.reals.data(), item.texts.data(), 15, &item.run_mode, 1, &item.error_count,
                      item.report_file.data(), 256, nullptr, nullptr, nullptr, item.unit_labels.data(), 10,
                      item.unit_factors.data(), &item.print_control);
             LGWEIGHT(&B, &A, &t, &g1, &g0, &h, &W, &Wr, &density);
             capture = GETLINESCOMAUX();
         }
         return host_answer(item, capture) + std::to_string(W) + " " + std::to_string(Wr);
     }},
    {"tx14_context_analyse",
     [](tx14::test::HostItem& item, long n) {
         static tx14_context* const context = tx14_context_create();
         {
             FailingAt f(n);
             tx14_context_analyse(context, item.reals.data(), item.texts.data(), &item.run_mode, &item.error_count,
                                  item.report_file.data(), nullptr, nullptr, nullptr, item.unit_labels.data(),
                                  item.unit_factors.data(), &item.print_control);
         }
         return host_answer(item, tx14_context_capture_block(context)) + std::to_string(tx14_context_verdict(context));
     }},
};

class HostCallWithoutMemory : public ::testing::TestWithParam<HostCall> {};

// Every allocation failing, from the first call on: the host's calls reach
// none and answer as they do with memory, into the capture block and into a
// report file.
TEST_P(HostCallWithoutMemory, AllocatesNothingAndAnswersInFull)
{
    const HostCall& host = GetParam();
    const std::filesystem::path file = tx14::test::scratch_file(std::string(host.name) + ".txt");
    for (const bool to_file : {false, true}) {
        tx14::test::HostItem without, with;
        if (to_file) {
            without.file(file.string());
            with.file(file.string());
        }
        const std::string starved = host.call(without, 0);
        EXPECT_FALSE(reached(0)) << host.name << " allocated";
        EXPECT_EQ(starved, host.call(with, -1)) << (to_file ? "to a file" : "captured");
    }
    const std::string report = tx14::test::read_file(file);
    EXPECT_EQ(report.substr(0, report.size() / 2), report.substr(report.size() / 2)) << "the two reports differ";
    EXPECT_NE(report.find(tx14::test::kNotice), std::string::npos);
    std::filesystem::remove(file);
}

INSTANTIATE_TEST_SUITE_P(HostEntryPoints, HostCallWithoutMemory, ::testing::ValuesIn(kHostCalls),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
