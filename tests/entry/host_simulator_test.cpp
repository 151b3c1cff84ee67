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

// The entry or flag `name` of the library, resolved as the host does.
template <typename T>
T symbol(const char* name)
{
    static void* library = dlopen(TX14_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    void* p = library ? dlsym(library, name) : nullptr;
    EXPECT_NE(p, nullptr) << name << ": " << dlerror();
    return reinterpret_cast<T>(p);
}

// The last record of the capture block after LGCENTER ran the worked item
// with the special-character flag as given (hidden lengths, unused words).
std::string last_record_of_a_call(int32_t no_special, int32_t& print_control)
{
    *symbol<int32_t*>("FLAGS_mp_IINOSPECIAL") = no_special;
    tx14::test::HostItem item;
    symbol<LgCenter>("LGCENTER")(item.reals.data(), item.texts.data(), 15, &item.run_mode, 1,
                                 &item.error_count, item.report_file.data(), 256, nullptr, nullptr,
                                 nullptr, item.unit_labels.data(), 10, item.unit_factors.data(),
                                 &item.print_control);
    print_control = item.print_control;
    const char* block = static_cast<const char*>(symbol<GetLines>("GETLINESCOMAUX")());
    int32_t count;
    std::memcpy(&count, block + 62500, sizeof count);
    EXPECT_TRUE(count >= 2 && count <= 500) << count;
    return std::string(block + 125 * (count - 1), 125);
}

TEST(HostSimulator, CaptureModeThroughGetLines)
{
    int32_t print_control = 0;
    const std::string last = last_record_of_a_call(1, print_control);  // the copyright sign becomes "c"
    EXPECT_EQ(last.substr(0, 4), "    ");
    EXPECT_EQ(last.substr(4, 50), "TXAppendix14 Calculation Library, Copyright c 2026");
    EXPECT_EQ(last.substr(108, 12), " 1 0 0 1 0 2");
    EXPECT_EQ(last[120], '\0');
    EXPECT_EQ(print_control, 1);
    EXPECT_NE(last_record_of_a_call(0, print_control).find("Copyright \xA9 2026"), std::string::npos);
}

TEST(HostSimulator, ForgingWeight)
{
    float B = 10, A = 20, t = 2, g1 = 1, g0 = 0.5f, h = 3, density = 0.283f, W = 0, Wr = 0;
    symbol<LgWeight>("LGWEIGHT")(&B, &A, &t, &g1, &g0, &h, &W, &Wr, &density);
    EXPECT_FLOAT_EQ(W, 154.865f);
    EXPECT_EQ(Wr, 333.40152f);
}

}  // namespace
