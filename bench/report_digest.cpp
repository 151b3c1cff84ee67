// Digest of the reports and results of a fixed sweep of items: thousands
// of large openings and jackets with varied geometry, codes, unit systems
// and special-character settings, garbage included, in capture mode and a
// few in file mode. An optimisation must leave the digest unchanged; the
// golden reports cover only a handful of items.
//
//   tx14_report_digest        prints one digest per group and the total
//   tx14_report_digest -v     also one digest per item, to find a change
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include <unistd.h>

#include "bench_items.hpp"

namespace {

using tx14::bench::HostItem;

struct Digest {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    void add(const void* data, std::size_t n)
    {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 1099511628211ull;
        }
    }
};

// A fixed pseudo-random sequence (splitmix64).
struct Sequence {
    std::uint64_t s;
    std::uint64_t next()
    {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    float unit() { return static_cast<float>(next() >> 40) / 16777216.0f; }  // [0, 1)
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

    // Mostly the base value scaled by 2^-spread to 2^spread, sometimes 0 or
    // a garbage value.
    float around(float base, float spread = 2.0f)
    {
        int pick = below(100);
        if (pick < 3)
            return 0.0f;
        if (pick == 3) {
            static constexpr float kGarbage[] = {std::numeric_limits<float>::quiet_NaN(),
                                                 std::numeric_limits<float>::infinity(),
                                                 -std::numeric_limits<float>::infinity(),
                                                 -1.0f,
                                                 1e30f,
                                                 -1e30f,
                                                 1e-40f,
                                                 -1.0101f};
            return kGarbage[below(8)];
        }
        return base * std::exp2((unit() * 2.0f - 1.0f) * spread);
    }
};

// Display factors and labels of a metric host (mm, N, N-m, MPa, C, bar).
void metric_units(HostItem& item)
{
    item.unit_factors[1] = 4.448222f;  // force
    item.unit_factors[4] = 1.355818f;  // moment
    item.unit_factors[5] = 0.006894757f;
    item.unit_factors[6] = 0.5555556f;  // temperature
    item.unit_factors[7] = -17.77778f;
    item.unit_factors[8] = 0.06894757f;
    item.unit_factors[20] = 25.4f;
    item.unit_factors[21] = 25.4f;
    item.label(2, "N");
    item.label(5, "N-m");
    item.label(6, "MPa");
    item.label(7, "C");
    item.label(8, "C");
    item.label(9, "bar");
    item.label(21, "mm");
    item.label(22, "mm");
}

HostItem opening_variant(Sequence& q)
{
    HostItem item = tx14::bench::opening_item();
    for (int n : {5, 7, 8, 9, 10, 11, 12, 13, 15, 16, 21})
        item.at(n) = q.around(item.at(n));
    if (item.at(8) >= item.at(9) && q.below(4) != 0)
        item.at(8) = item.at(9) * 0.5f;
    if (q.below(3) == 0) {  // an integral nozzle
        item.at(18) = q.around(0.75f);
        item.at(19) = q.around(1.25f);
        item.at(20) = q.around(3.0f);
    }
    item.at(25) = q.below(10) == 0 ? static_cast<float>(q.below(4)) : 1.0f + static_cast<float>(q.below(2));
    return item;
}

HostItem jacket_variant(Sequence& q)
{
    static constexpr float kSizes[] = {1, 2, 2.5f, 3, 3.5f, 4, 5, 6};
    const int code = 1 + q.below(4);
    tx14::testing::JacketItem item = code <= 2 ? tx14::testing::half_pipe_item() : tx14::testing::limpet_coil_item();
    for (int n : {2, 3, 4, 6, 8, 11, 12, 14, 16})
        item[n] = q.around(item[n], 0.75f);
    item[10] = kSizes[q.below(8)];
    if (q.below(4) == 0)
        item[17] = q.around(1.5f);  // a formed jacket
    if (q.below(4) == 0)
        item[18] = q.around(5.0f);
    if (q.below(4) == 0)
        item[19] = q.around(0.0625f);
    item[20] = q.below(20) == 0 ? static_cast<float>(q.below(7)) : static_cast<float>(code);
    if (q.below(8) == 0)
        item[12] = q.around(25000.0f);  // a long Trj search
    return item;
}

void add_run(Digest& d, const HostItem& item, const tx14::Context& context)
{
    const int count = context.captured_lines();
    d.add(&count, sizeof count);
    for (int i = 0; i < count && i < TX14_CAPTURE_RECORDS; ++i)
        d.add(context.captured_record(i).data(), TX14_CAPTURE_RECORD_WIDTH);
    d.add(item.reals.data(), sizeof item.reals);
    d.add(&item.error_count, sizeof item.error_count);
}

struct Group {
    const char* name;
    int items;
    HostItem (*make)(Sequence&);
};

}  // namespace

int main(int argc, char** argv)
{
    const bool verbose = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    static constexpr Group kGroups[] = {
        {"opening", 20000, opening_variant},
        {"jacket", 20000, jacket_variant},
    };
    Digest total;
    tx14::Context context;
    for (const Group& g : kGroups) {
        Digest group;
        Sequence q{0x7841'1234'5678'0001ull};
        for (int n = 0; n < g.items; ++n) {
            HostItem item = g.make(q);
            const int flavour = q.below(4);  // units and special characters
            if (flavour & 1)
                metric_units(item);
            context.set_no_special(flavour >> 1);
            item.run(context);
            Digest one;
            add_run(one, item, context);
            group.add(&one.h, sizeof one.h);
            if (verbose)
                std::printf("%s %d %016llx errors %d lines %d\n", g.name, n, static_cast<unsigned long long>(one.h),
                            item.error_count, context.captured_lines());
        }
        std::printf("%-10s %016llx\n", g.name, static_cast<unsigned long long>(group.h));
        total.add(&group.h, sizeof group.h);
    }
    context.set_no_special(0);

    // File mode: the same file appended to by a few items of each kind.
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tx14_digest_" + std::to_string(::getpid()) + ".txt");
    std::filesystem::remove(file);
    Sequence q{99};
    for (int n = 0; n < 40; ++n) {
        HostItem item = n % 2 == 0 ? opening_variant(q) : jacket_variant(q);
        item.file(file.string());
        item.at(40) = 6;  // a report unit: not capture mode
        item.run(context);
    }
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    Digest files;
    files.add(text.data(), text.size());
    std::printf("%-10s %016llx\n", "file", static_cast<unsigned long long>(files.h));
    total.add(&files.h, sizeof files.h);
    std::printf("%-10s %016llx\n", "total", static_cast<unsigned long long>(total.h));
    return 0;
}
