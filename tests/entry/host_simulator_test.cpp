// The host's way of using the library: load the shared library, resolve the
// exported entries and module flags by name, run items in capture mode and
// read the capture block through GETLINESCOMAUX.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "support/test_support.hpp"

namespace {

using LgCenter = void (*)(float*, const char*, intptr_t, const char*, intptr_t, int32_t*,
                          const char*, intptr_t, const void*, const void*, const void*,
                          const char*, intptr_t, const float*, int32_t*);
using LgWeight = void (*)(const float*, const float*, const float*, const float*, const float*,
                          const float*, float*, float*, const float*);
using GetLines = void* (*)();

class HostSimulator : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library = dlopen(TX14_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
    }
    static void TearDownTestSuite()
    {
        if (library)
            dlclose(library);
    }

    template <typename T>
    static T symbol(const char* name)
    {
        void* p = dlsym(library, name);
        EXPECT_NE(p, nullptr) << name;
        return reinterpret_cast<T>(p);
    }

    // Calls LGCENTER as the host does, with hidden lengths and unused words.
    void call(tx14::test::HostItem& item)
    {
        auto lgcenter = symbol<LgCenter>("LGCENTER");
        lgcenter(item.reals.data(), item.texts.data(), 15, &item.run_mode, 1, &item.error_count,
                 item.report_file.data(), 256, nullptr, nullptr, nullptr, item.unit_labels.data(),
                 10, item.unit_factors.data(), &item.print_control);
    }

    static inline void* library = nullptr;
};

// Count and record i (from 0) of the capture block, as the host reads them.
int32_t captured_count(const char* block)
{
    int32_t count;
    std::memcpy(&count, block + 62500, sizeof count);
    return count;
}

std::string captured_line(const char* block, int i) { return std::string(block + 125 * i, 125); }

TEST_F(HostSimulator, EveryExportedNameResolves)
{
    for (const char* name : {"LGCENTER", "LGWEIGHT", "GETLINESCOMAUX", "FLAGS_mp_IINOSPECIAL",
                             "FLAGS_mp_LBSAREA", "FLAGS_mp_LCHORD", "GLOBALS_mp_G_NUSE_CASE2286",
                             "GLOBALS_mp_G_NUSE_CORRODEDK", "GLOBALS_mp_G_NUSE_OLD_DIV_2",
                             "GLOBALS_mp_G_NUSE_TABLEG"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
}

TEST_F(HostSimulator, CaptureModeThroughGetLines)
{
    auto getlines = symbol<GetLines>("GETLINESCOMAUX");
    auto* no_special = symbol<int32_t*>("FLAGS_mp_IINOSPECIAL");
    *no_special = 1;  // the closing notice's copyright sign becomes "c"
    tx14::test::HostItem item;
    call(item);
    const char* block = static_cast<const char*>(getlines());
    int32_t count = captured_count(block);
    ASSERT_GE(count, 2);
    ASSERT_LE(count, 500);
    std::string last = captured_line(block, count - 1);
    EXPECT_EQ(last.substr(0, 4), "    ");
    EXPECT_EQ(last.substr(4, 50), "TXAppendix14 Calculation Library, Copyright c 2026");
    EXPECT_EQ(last.substr(108, 12), " 1 0 0 1 0 2");
    EXPECT_EQ(last[120], '\0');
    EXPECT_EQ(item.print_control, 1);
    *no_special = 0;
    call(item);
    EXPECT_NE(captured_line(block, captured_count(block) - 1).find("Copyright \xA9 2026"),
              std::string::npos);
}

TEST_F(HostSimulator, ForgingWeight)
{
    auto lgweight = symbol<LgWeight>("LGWEIGHT");
    float B = 10, A = 20, t = 2, g1 = 1, g0 = 0.5f, h = 3, density = 0.283f, W = 0, Wr = 0;
    lgweight(&B, &A, &t, &g1, &g0, &h, &W, &Wr, &density);
    EXPECT_FLOAT_EQ(W, 154.865f);
    EXPECT_EQ(Wr, 333.40152f);
}

}  // namespace
