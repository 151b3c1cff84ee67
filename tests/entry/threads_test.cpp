// Separate contexts on separate threads give the same reports as one
// context run alone.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/host_item.hpp"

using namespace tx14;
using tx14::test::HostItem;

namespace {

std::vector<std::string> report_of(const Context& ctx)
{
    std::vector<std::string> lines;
    for (int i = 0; i < ctx.captured_lines(); ++i)
        lines.emplace_back(ctx.captured_record(i));
    return lines;
}

HostItem item_number(int n)
{
    HostItem item;
    item.at(1) = static_cast<float>(n);
    item.at(7) = 2.0f + 0.25f * static_cast<float>(n % 8);  // thickness varies
    item.at(200) = (n % 3 == 0) ? 1.0f : 0.0f;              // some jacket items too
    return item;
}

TEST(Contexts, TwoThreadsOnTwoContextsMatchTheSequentialRun)
{
    constexpr int kItems = 40;
    std::vector<std::vector<std::string>> expected(kItems);
    {
        Context ctx;
        for (int n = 0; n < kItems; ++n) {
            HostItem item = item_number(n);
            item.run(ctx);
            expected[static_cast<std::size_t>(n)] = report_of(ctx);
        }
    }
    std::vector<std::vector<std::string>> got(kItems);
    auto worker = [&](int first) {
        Context ctx;
        for (int n = first; n < kItems; n += 2) {
            HostItem item = item_number(n);
            item.run(ctx);
            got[static_cast<std::size_t>(n)] = report_of(ctx);
        }
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();
    for (int n = 0; n < kItems; ++n)
        EXPECT_EQ(got[static_cast<std::size_t>(n)], expected[static_cast<std::size_t>(n)]) << n;
}

}  // namespace
