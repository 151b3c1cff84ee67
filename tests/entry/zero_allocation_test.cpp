// After its first call, a context runs any item without touching the heap:
// hosts call the library thousands of times in their design loops. The
// global allocation functions of this program count the allocations made
// while a call runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "support/test_support.hpp"
#include "txappendix14_items.hpp"

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void count()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

// The C allocation functions: the C++ ones of the standard library and
// fopen and the like come here.
extern "C" {
void* malloc(std::size_t n) { return count(), __libc_malloc(n); }
void* calloc(std::size_t n, std::size_t size) { return count(), __libc_calloc(n, size); }
void* realloc(void* p, std::size_t n) { return count(), __libc_realloc(p, n); }
void* aligned_alloc(std::size_t alignment, std::size_t n) { return count(), __libc_memalign(alignment, n); }
int posix_memalign(void** p, std::size_t alignment, std::size_t n)
{
    count();
    *p = __libc_memalign(alignment, n);
    return *p ? 0 : ENOMEM;
}
void free(void* p) { __libc_free(p); }
}

namespace {

using namespace tx14::test;

// Allocations made by `work`.
template <class Work>
long allocations_of(Work work)
{
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations.load();
}

// Where the allocations of the counter's own test go, so that the compiler
// cannot leave out an allocation that is freed at once.
void* volatile kept;

TEST(AllocationCounter, SeesTheAllocationsOfNew)
{
    EXPECT_EQ(allocations_of([] { kept = std::make_unique<std::string>(100, 'x')->data(); }), 2);
}

// no_special 1: special characters become plain text; to_file: appended to a file, not captured.
struct Kind {
    const char* name;
    HostItem (*make)();
    std::int32_t no_special = 0;
    bool to_file = false;
};

const Kind kKinds[] = {
    {"opening_viii1", [] { return HostItem{}; }},
    {"opening_viii2",
     [] {
         return HostItem{}.set({{25, 2}});
     }},
    {"jacket_appendix_ee", [] { return HostItem{appendix_ee_item()}; }},
    {"jacket_viii2", [] { return HostItem{div2_item()}; }},
    {"coil_pd5500", [] { return HostItem{limpet_coil_item()}; }},
    {"coil_en13445", [] { return HostItem{en13445_item()}; }},
    {"opening_plain_text_to_file", [] { return HostItem{}; }, 1, true},
};

class SecondCall : public ::testing::TestWithParam<Kind> {};

// The host's call, the results record read, and the typed entry's call
// with an outcome kept from call to call (it holds the room the next call
// needs).
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
                  tx14_value v;
                  tx14_check c;
                  for (int i = 0; context.value(i, v); ++i)
                      sum += v.display;
                  for (int i = 0; context.check(i, c); ++i)
                      sum += c.display_limit;
              }),
              0);
    EXPECT_EQ(second.reals, first.reals);
    EXPECT_GT(context.check_count(), 3);
    EXPECT_NE(context.verdict(), TX14_NOT_ANALYSED) << sum;
    EXPECT_GT(kind.to_file ? std::filesystem::file_size(file) : static_cast<std::uintmax_t>(context.captured_lines()),
              40u);

    const tx14::Item item = typed_item(kind.make());
    tx14::Options options;
    options.plain = kind.no_special != 0;
    if (kind.to_file)
        options.report_file = file.string();
    tx14::Outcome outcome;
    typed.analyse(item, outcome, options);
    ASSERT_TRUE(outcome.errors.empty()) << outcome.errors[0].message;
    const std::size_t lines = outcome.report.size();
    EXPECT_EQ(allocations_of([&] { typed.analyse(item, outcome, options); }), 0) << "the typed entry";
    EXPECT_NE(outcome.record.verdict, tx14::Verdict::not_analysed);
    EXPECT_EQ(outcome.report.size(), lines);
    std::filesystem::remove(file);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SecondCall, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
