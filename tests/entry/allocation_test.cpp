// The allocations of the entry points, with this program's global
// allocation functions counting them while a call is armed: after its first
// call a context runs any item without touching the heap (hosts call the
// library thousands of times in their design loops), so memory running out
// cannot touch the host's calls; where an entry point allocates, operator
// new failing at the n-th allocation of a call, for every n the call
// reaches, comes back as that entry point's error value, never as an
// exception into a C caller, and leaves its object fit for the next call.
// Left out of sanitizer builds, whose runtime replaces the allocation
// functions itself.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "support/test_support.hpp"
#include "txappendix14_context.h"
#include "txappendix14_entry.h"
#include "txappendix14_items.hpp"

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
const char* tx14_sheet_html(const char* item, std::size_t size, const char* name, const char* sha256,
                            const char* date_time, int letter);  // web/sheet_c.cpp
}

namespace {

std::atomic<bool> armed{false};
std::atomic<long> made{0};      // allocations since the call was armed
std::atomic<long> fail_at{-1};  // the one operator new fails, from 0; -1: none

// Counts an allocation of an armed call: whether it is the one to fail.
bool fails()
{
    return armed.load(std::memory_order_relaxed) && made.fetch_add(1, std::memory_order_relaxed) == fail_at.load();
}

void* allocate(std::size_t n, std::size_t alignment)
{
    if (fails())
        throw std::bad_alloc();
    void* p = alignment <= alignof(std::max_align_t) ? __libc_malloc(n ? n : 1) : __libc_memalign(alignment, n);
    return p ? p : throw std::bad_alloc();
}

}  // namespace

// The C allocation functions (fopen and the like come here; free is glibc's
// own) count; operator new (the other forms of new call these two) counts
// and fails on demand.
extern "C" {
void* malloc(std::size_t n) { return fails(), __libc_malloc(n); }
void* calloc(std::size_t n, std::size_t size) { return fails(), __libc_calloc(n, size); }
void* realloc(void* p, std::size_t n) { return fails(), __libc_realloc(p, n); }
void* aligned_alloc(std::size_t a, std::size_t n) { return fails(), __libc_memalign(a, n); }
int posix_memalign(void** p, std::size_t a, std::size_t n)
{
    return fails(), (*p = __libc_memalign(a, n)) ? 0 : ENOMEM;
}
}
void* operator new(std::size_t n) { return allocate(n, 0); }
void* operator new(std::size_t n, std::align_val_t a) { return allocate(n, static_cast<std::size_t>(a)); }

namespace {

using namespace tx14::test;

// The calls made while it lives are armed, allocation `n` failing (-1:
// none); reached(n) tells whether they made it.
struct FailingAt {
    explicit FailingAt(long n) { made = 0, fail_at = n, armed = true; }
    ~FailingAt() { armed = false; }
};

bool reached(long n) { return n >= 0 && made.load() > n; }

// Allocations made by `work`.
long allocations_of(auto work)
{
    const FailingAt none(-1);
    work();
    return made.load();
}

// no_special 1: special characters become plain text; to_file: appended to a file, not captured.
struct Kind {
    const char* name;
    HostItem (*make)();
    std::int32_t no_special = 0;
    bool to_file = false;
};

HostItem opening_viii2() { return HostItem{}.set({{25, 2}}); }

const Kind kKinds[] = {
    {"opening_viii1", [] { return HostItem{}; }},
    {"opening_viii2", opening_viii2},
    {"jacket_appendix_ee", appendix_ee_item},
    {"jacket_viii2", div2_item},
    {"coil_pd5500", [] { return HostItem{limpet_coil_item()}; }},
    {"coil_en13445", en13445_item},
    {"opening_plain_text_to_file", [] { return HostItem{}; }, 1, true},
};

class SecondCall : public ::testing::TestWithParam<Kind> {};

// The host's call (LGCENTER's too: the same run on the process's state),
// the results record read, and the typed entry's call with an outcome kept
// from call to call (it holds the room the next call needs; filling it the
// first time allocates, which shows that the counter counts).
TEST_P(SecondCall, AllocatesNothing)
{
    const Kind& kind = GetParam();
    const std::filesystem::path file = scratch_file("alloc.txt");
    HostItem first = kind.make();
    if (kind.to_file)
        first.file(file.string());
    HostItem second = first;
    tx14::Context context, typed;
    context.set_no_special(kind.no_special);
    first.run(context);
    float sum = 0;
    EXPECT_EQ(allocations_of([&] {
                  second.run(context);
                  tx14_value v{};
                  tx14_check c{};
                  for (int i = 0;; ++i) {  // each value and each check read
                      const bool value = context.value(i, v), check = context.check(i, c);
                      if (!value && !check)
                          break;
                      sum += v.display + c.display_limit;
                  }
              }),
              0);
    EXPECT_EQ(second.reals, first.reals) << sum;
    EXPECT_GT(kind.to_file ? std::filesystem::file_size(file) : static_cast<std::uintmax_t>(context.captured_lines()),
              40u);

    const tx14::Item item = typed_item(kind.make());
    const tx14::Options options{.plain = kind.no_special != 0, .report_file = kind.to_file ? file.string() : ""};
    tx14::Outcome outcome;
    EXPECT_GT(allocations_of([&] { typed.analyse(item, outcome, options); }), 0);
    ASSERT_TRUE(outcome.errors.empty()) << outcome.errors[0].message;
    const std::size_t lines = outcome.report.size();
    EXPECT_EQ(allocations_of([&] { typed.analyse(item, outcome, options); }), 0) << "the typed entry";
    EXPECT_TRUE(outcome.record.verdict != tx14::Verdict::not_analysed && outcome.report.size() == lines);
    std::filesystem::remove(file);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SecondCall, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// `call()` with allocation n failing, as text: "<failure> then <answer of
// a second call without one>" when it answers `failure` (the object it
// works on stays fit for use), else its answer.
std::string answer(long n, auto call, auto text, const std::string& failure)
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

// "made" or "NULL", the object destroyed.
template <class T, void (*destroy)(T*)>
std::string made_or_null(T* p)
{
    return destroy(p), p ? "made" : "NULL";
}

const char* sheet() { return tx14_sheet_html(kItem.data(), kItem.size(), "head.toml", "00", "2026-12-07 12:00", 0); }

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

// An entry point: its answer with allocation n failing (-1: none).
struct Allocating {
    const char* name;
    std::string (*call)(long);
};

const Allocating kAllocating[] = {
    {"tx14_batch_create",
     [](long n) { return answer(n, tx14_batch_create, made_or_null<tx14_batch, tx14_batch_destroy>, "NULL"); }},
    {"tx14_context_create",
     [](long n) { return answer(n, tx14_context_create, made_or_null<tx14_context, tx14_context_destroy>, "NULL"); }},
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
    {"tx14_sheet_html", [](long n) { return answer(n, sheet, text_or_null, "NULL"); }},
};

class OutOfMemory : public ::testing::TestWithParam<Allocating> {};

// Allocation n failing, for each n the call reaches: each of the first 200,
// then in steps of a thirtieth of the way so far.
TEST_P(OutOfMemory, IsTheErrorValueAndTheNextCallWorks)
{
    const Allocating& entry = GetParam();
    const std::string whole = entry.call(-1);
    long n = 0;
    for (;; n += n < 200 ? 1 : 1 + n / 30) {
        const std::string got = entry.call(n);  // an exception leaving it fails the test
        if (!reached(n)) {
            EXPECT_EQ(got, whole) << "no allocation failed";
            break;
        }
        // An allocation failure the library handles itself may still give
        // the whole answer; anything else is the error value.
        ASSERT_TRUE(got == whole || got.ends_with(" then " + whole))
            << entry.name << ", allocation " << n << ": " << got;
    }
    EXPECT_GT(n, 0) << entry.name << " allocates nothing";
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
