// Writes the items the WebAssembly module must reproduce, each followed by
// what the native library made of it through the same C interface: the
// verified items, then generated items of every kind and code with valid,
// invalid and hostile values (fixed seed). same_bits.mjs reads the file.
//
// File: "TX14WASM", item count (u32), then per item, little-endian:
//   in:  absent mask (u32: bit n set = argument n of tx14_context_analyse
//        passed as NULL, n = 0 reals, 1 texts, 2 run mode, 3 error count,
//        4 report file, 5 unit labels, 6 unit factors, 7 print control),
//        special-character flag, error count, print control (i32 each),
//        run mode (1 byte), reals (200 f32), texts (45), report file (256),
//        unit labels (230), unit factors (22 f32)
//   out: reals (200 f32), error count, print control, input errors,
//        captured lines n (i32 each), n capture records of 125 bytes,
//        length of the results record (u32), the record: value count, each
//        value's texts (key, label, quantity, unit, NUL-terminated) and
//        numbers (value, display), check count, each check's texts (the same
//        and relation) and numbers (value, limit, display value, display
//        limit, passes, utilization), verdict, governing check (numbers of
//        4 bytes, in field order; every NaN as the quiet NaN 0x7fc00000)
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <span>

#include "bench_items.hpp"
#include "txappendix14_context.h"

namespace {

using tx14::test::HostItem;

struct Item {
    HostItem host;
    std::uint32_t absent = 0;
    std::int32_t no_special = 0;
};

// Appends the bytes of v (a number or an array of them).
template <typename T>
void put(std::string& out, const T& v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void put_text(std::string& out, const char* text)
{
    out.append(text ? text : "");
    out.push_back('\0');
}

// A value of the results record. Its NaNs are written as one NaN: the sign
// and payload of a NaN that an operation makes differ from machine to machine
// (x86 sets the sign, WebAssembly engines and ARM need not) and mean nothing.
void put_value(std::string& out, float x) { put(out, std::isnan(x) ? std::numeric_limits<float>::quiet_NaN() : x); }

void put_results_record(std::string& out, const tx14_context* ctx)
{
    put(out, tx14_context_value_count(ctx));
    for (std::int32_t i = 0; i < tx14_context_value_count(ctx); ++i) {
        tx14_value v{};
        tx14_context_value(ctx, i, &v);
        for (const char* text : {v.key, v.label, v.quantity, v.unit})
            put_text(out, text);
        for (float x : {v.value, v.display})
            put_value(out, x);
    }
    put(out, tx14_context_check_count(ctx));
    for (std::int32_t i = 0; i < tx14_context_check_count(ctx); ++i) {
        tx14_check c{};
        tx14_context_check(ctx, i, &c);
        for (const char* text : {c.key, c.label, c.quantity, c.unit, c.relation})
            put_text(out, text);
        for (float x : {c.value, c.limit, c.display_value, c.display_limit})
            put_value(out, x);
        put(out, c.passes);
        put_value(out, c.utilization);
    }
    put(out, tx14_context_verdict(ctx));
    put(out, tx14_context_governing(ctx));
}

template <typename T>
T* unless_absent(const Item& item, int bit, T* p)
{
    return (item.absent >> bit) & 1 ? nullptr : p;
}

void run_and_put(tx14_context* ctx, Item item, std::string& out)
{
    HostItem& h = item.host;
    for (std::int32_t v : {static_cast<std::int32_t>(item.absent), item.no_special, h.error_count, h.print_control})
        put(out, v);
    put(out, h.run_mode);
    put(out, h.reals);
    put(out, h.texts);
    put(out, h.report_file);
    put(out, h.unit_labels);
    put(out, h.unit_factors);

    tx14_context_set_no_special(ctx, item.no_special);
    tx14_context_analyse(ctx, unless_absent(item, 0, h.reals.data()), unless_absent(item, 1, h.texts.data()),
                         unless_absent(item, 2, &h.run_mode), unless_absent(item, 3, &h.error_count),
                         unless_absent(item, 4, h.report_file.data()), nullptr, nullptr, nullptr,
                         unless_absent(item, 5, h.unit_labels.data()), unless_absent(item, 6, h.unit_factors.data()),
                         unless_absent(item, 7, &h.print_control));

    const char* block = static_cast<const char*>(tx14_context_capture_block(ctx));
    std::int32_t lines;
    std::memcpy(&lines, block + TX14_CAPTURE_COUNT_OFFSET, sizeof lines);
    put(out, h.reals);
    for (std::int32_t v : {h.error_count, h.print_control, tx14_context_input_errors(ctx), lines})
        put(out, v);
    out.append(block, static_cast<std::size_t>(std::clamp(lines, 0, TX14_CAPTURE_RECORDS)) * TX14_CAPTURE_RECORD_WIDTH);
    std::string results;
    put_results_record(results, ctx);
    put(out, static_cast<std::uint32_t>(results.size()));
    out += results;
}

// The verified items, each as it stands and with plain-text special characters.
std::vector<Item> verified_items()
{
    namespace t = tx14::test;
    std::vector<HostItem> hosts = {t::half_pipe_item(), t::limpet_coil_item(), t::appendix_ee_item(), t::div2_item(),
                                   t::en13445_item()};
    for (const char* name : {"opening", "opening-viii2", "opening-50", "jacket-thick-1", "jacket-thick-2"}) {
        HostItem h;
        tx14::bench::item_named(name, h);
        hosts.push_back(h);
    }
    std::vector<Item> items;
    for (const HostItem& h : hosts)
        for (std::int32_t no_special : {0, 1})
            items.push_back({h, 0, no_special});
    return items;
}

void use_si_units(HostItem& h)
{
    constexpr float inch = 25.4f, psi = 0.006894757f;
    constexpr std::array<float, 22> factors = {
        inch, 4.4482216f,  645.16f,    16387.064f, 1.3558179f, psi, 5.0f / 9.0f, -160.0f / 9.0f,
        psi,  0.45359237f, 27679.904f, 1,          1,          1,   1,           1,
        1,    1,           1,          1,          inch,       inch};
    h.unit_factors = factors;
    for (auto [n, l] :
         {std::pair{1, "mm"}, {2, "N"}, {5, "N-m"}, {6, "MPa"}, {7, "C"}, {8, "C"}, {9, "MPa"}, {21, "mm"}, {22, "mm"}})
        h.label(n, l);
}

// Generated items: a base item of the kind and code, then changes drawn
// from a fixed-seed generator.
class Generator {
public:
    Item next(const HostItem& base, int input_elements)
    {
        Item item{base, 0, pick(4) == 0};
        HostItem& h = item.host;
        if (pick(4) == 0)
            use_si_units(h);
        const int kind = pick(4);  // 0: a valid item nearby, 1: invalid values, else hostile ones
        for (int k = 0, n = 1 + pick(kind < 2 ? 3 : 6); k < n; ++k) {
            // Mostly the inputs; hostile values anywhere in the array now and then.
            float& v = h[kind > 1 && pick(8) == 0 ? 1 + pick(200) : 1 + pick(input_elements)];
            v = kind == 0   ? v * std::uniform_real_distribution<float>(0.8f, 1.25f)(rng_)
                : kind == 1 ? any_of(kInvalid)
                            : hostile_value();
        }
        if (pick(10) == 0) {  // hostile texts or unit labels
            std::span<char> text = pick(2) ? std::span<char>(h.texts) : std::span<char>(h.unit_labels);
            for (char& c : text)
                c = static_cast<char>(pick(3) ? ' ' + pick(95) : pick(256));
        }
        if (pick(20) == 0)
            h.unit_factors[static_cast<std::size_t>(pick(22))] = hostile_value();
        if (pick(20) == 0) {  // a file name, unit 0: still captured
            h.file("report.txt");
            h[40] = 0;
        }
        if (pick(25) == 0)
            item.absent = static_cast<std::uint32_t>(1 + pick(255));
        h.run_mode = static_cast<char>(pick(256));
        return item;
    }

private:
    static constexpr float kInf = std::numeric_limits<float>::infinity(), kMax = std::numeric_limits<float>::max();
    static constexpr float kInvalid[] = {0.0f, -1.0f, -0.5f, -100.0f, -1.0101f, 1e-6f, 7.0f, 99999.0f};
    static constexpr float kHostile[] = {std::numeric_limits<float>::quiet_NaN(),
                                         -std::numeric_limits<float>::quiet_NaN(),
                                         kInf,
                                         -kInf,
                                         kMax,
                                         -kMax,
                                         1e20f,
                                         -1e20f,
                                         std::numeric_limits<float>::denorm_min(),
                                         -0.0f,
                                         2147483648.0f,
                                         -2147483904.0f,
                                         16777216.0f,
                                         -1.0101f};

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <std::size_t N>
    float any_of(const float (&values)[N])
    {
        return values[pick(static_cast<int>(N))];
    }
    // One of the table, or any bit pattern at all.
    float hostile_value()
    {
        return pick(4) ? any_of(kHostile) : std::bit_cast<float>(static_cast<std::uint32_t>(rng_()));
    }

    std::mt19937 rng_{20261206};
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    namespace t = tx14::test;
    struct Kind {
        HostItem base;
        int input_elements;  // elements 1 to this many are the item's inputs
    };
    const Kind kinds[] = {{tx14::bench::opening_item(), 25}, {tx14::bench::opening_viii2_item(), 25},
                          {t::half_pipe_item(), 21},         {t::div2_item(), 21},
                          {t::limpet_coil_item(), 21},       {t::en13445_item(), 21}};
    constexpr int kPerKind = 2000;

    std::vector<Item> items = verified_items();
    Generator gen;
    for (int i = 0; i < kPerKind; ++i)
        for (const Kind& k : kinds)
            items.push_back(gen.next(k.base, k.input_elements));

    std::string out = "TX14WASM";
    put(out, static_cast<std::uint32_t>(items.size()));
    tx14_context* ctx = tx14_context_create();
    for (const Item& item : items)
        run_and_put(ctx, item, out);
    tx14_context_destroy(ctx);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    if (!file.write(out.data(), static_cast<std::streamsize>(out.size())).flush()) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        return 1;
    }
    std::printf("%zu items\n", items.size());
    return 0;
}
