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
//        value's texts (key, label, quantity, unit, NUL-terminated) and its
//        2 numbers (value, display), check count, each check's texts (the
//        same and relation) and its 7 fields of 4 bytes (value, limit,
//        display value and limit, passes, utilization, applicable), verdict,
//        governing check (every NaN as the quiet NaN 0x7fc00000)
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

struct Item : HostItem {
    std::uint32_t absent = 0;
    std::int32_t no_special = 0;
};

// Appends the bytes of each v (a number or an array of them).
template <typename... T>
void put(std::string& out, const T&... v)
{
    (out.append(reinterpret_cast<const char*>(&v), sizeof v), ...);
}

// A value's or check's texts, then its n fields of 4 bytes from `first`,
// each NaN as one NaN: the sign and payload of a NaN that an operation makes
// differ from machine to machine (x86 sets the sign, WebAssembly engines and
// ARM need not) and mean nothing. (passes and applicable, 0 or 1, are no NaN.)
void put_entry(std::string& out, std::initializer_list<const char*> texts, const void* first, int n)
{
    for (const char* text : texts)
        out.append(text ? text : "").push_back('\0');
    for (int i = 0; i < n; ++i) {
        float x;
        std::memcpy(&x, static_cast<const char*>(first) + 4 * i, 4);
        put(out, std::isnan(x) ? std::numeric_limits<float>::quiet_NaN() : x);
    }
}

std::string results_record(const tx14_context* ctx)
{
    std::string out;
    put(out, tx14_context_value_count(ctx));
    for (std::int32_t i = 0; i < tx14_context_value_count(ctx); ++i) {
        tx14_value v{};
        tx14_context_value(ctx, i, &v);
        put_entry(out, {v.key, v.label, v.quantity, v.unit}, &v.value, 2);
    }
    put(out, tx14_context_check_count(ctx));
    for (std::int32_t i = 0; i < tx14_context_check_count(ctx); ++i) {
        tx14_check c{};
        tx14_context_check(ctx, i, &c);
        put_entry(out, {c.key, c.label, c.quantity, c.unit, c.relation}, &c.value, 7);
    }
    put(out, tx14_context_verdict(ctx), tx14_context_governing(ctx));
    return out;
}

void run_and_put(tx14_context* ctx, Item h, std::string& out)
{
    put(out, h.absent, h.no_special, h.error_count, h.print_control, h.run_mode, h.reals, h.texts, h.report_file,
        h.unit_labels, h.unit_factors);
    const auto given = [&](int bit, auto* p) { return (h.absent >> bit) & 1 ? nullptr : p; };
    tx14_context_set_no_special(ctx, h.no_special);
    tx14_context_analyse(ctx, given(0, h.reals.data()), given(1, h.texts.data()), given(2, &h.run_mode),
                         given(3, &h.error_count), given(4, h.report_file.data()), nullptr, nullptr, nullptr,
                         given(5, h.unit_labels.data()), given(6, h.unit_factors.data()), given(7, &h.print_control));

    const char* block = static_cast<const char*>(tx14_context_capture_block(ctx));
    std::int32_t lines;
    std::memcpy(&lines, block + TX14_CAPTURE_COUNT_OFFSET, sizeof lines);
    put(out, h.reals, h.error_count, h.print_control, tx14_context_input_errors(ctx), lines);
    out.append(block, static_cast<std::size_t>(std::clamp(lines, 0, TX14_CAPTURE_RECORDS)) * TX14_CAPTURE_RECORD_WIDTH);
    const std::string results = results_record(ctx);
    put(out, static_cast<std::uint32_t>(results.size()));
    out += results;
}

using Float = std::numeric_limits<float>;
constexpr float kNaN = Float::quiet_NaN(), kInf = Float::infinity(), kMax = Float::max();
constexpr float kInvalid[] = {0.0f, -1.0f, -0.5f, -100.0f, -1.0101f, 1e-6f, 7.0f, 99999.0f};
constexpr float kHostile[] = {kNaN,   -kNaN, kInf,          -kInf,          kMax,        -kMax,    1e20f,
                              -1e20f, -0.0f, 2147483648.0f, -2147483904.0f, 16777216.0f, -1.0101f, Float::denorm_min()};

// Generated items: a base item of the kind and code, then changes drawn
// from a fixed-seed generator.
struct Generator {
    std::mt19937 rng{20261206};
    int pick(std::size_t n) { return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(rng); }
    // One of the table, or any bit pattern at all.
    float hostile_value()
    {
        return pick(4) ? kHostile[pick(std::size(kHostile))] : std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    }

    Item next(const HostItem& base, int input_elements)
    {
        Item h{{base}, 0, pick(4) == 0};
        const int kind = pick(4);  // 0: a valid item nearby, 1: invalid values, else hostile ones
        for (int k = 0, n = 1 + pick(kind < 2 ? 3 : 6); k < n; ++k) {
            // Mostly the inputs; hostile values anywhere in the array now and then.
            float& v = h[kind > 1 && pick(8) == 0 ? 1 + pick(200) : 1 + pick(input_elements)];
            v = kind == 0   ? v * std::uniform_real_distribution<float>(0.8f, 1.25f)(rng)
                : kind == 1 ? kInvalid[pick(std::size(kInvalid))]
                            : hostile_value();
        }
        if (pick(10) == 0)  // hostile texts or unit labels
            for (char& c : pick(2) ? std::span<char>(h.texts) : std::span<char>(h.unit_labels))
                c = static_cast<char>(pick(3) ? ' ' + pick(95) : pick(256));
        if (pick(20) == 0)
            h.unit_factors[static_cast<std::size_t>(pick(22))] = hostile_value();
        if (pick(20) == 0) {  // a file name, unit 0: still captured
            h.file("report.txt");
            h[40] = 0;
        }
        if (pick(25) == 0)
            h.absent = static_cast<std::uint32_t>(1 + pick(255));
        h.run_mode = static_cast<char>(pick(256));
        return h;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // The verified items, each as it stands and with plain-text special characters.
    std::vector<Item> items;
    for (const char* name : {"opening", "opening-viii2", "opening-50", "jacket-1", "jacket-2", "jacket-thick-1",
                             "jacket-thick-2", "coil-3", "coil-4"})
        for (std::int32_t no_special : {0, 1})
            if (HostItem h; tx14::bench::item_named(name, h))
                items.push_back({{h}, 0, no_special});
    // Generated items: each kind's base item, and how many elements from 1 are its inputs.
    const std::pair<HostItem, int> kinds[] = {
        {tx14::bench::opening_item(), 25}, {tx14::bench::opening_viii2_item(), 25}, {tx14::test::half_pipe_item(), 21},
        {tx14::test::div2_item(), 21},     {tx14::test::limpet_coil_item(), 21},    {tx14::test::en13445_item(), 21}};
    Generator gen;
    for (int i = 0; i < 2000; ++i)
        for (const auto& [base, inputs] : kinds)
            items.push_back(gen.next(base, inputs));

    std::string out = "TX14WASM";
    put(out, static_cast<std::uint32_t>(items.size()));
    tx14_context* ctx = tx14_context_create();
    for (const Item& item : items)
        run_and_put(ctx, item, out);
    tx14_context_destroy(ctx);
    if (argc != 2 || !std::ofstream(argv[1], std::ios::binary).write(out.data(), std::ssize(out)).flush()) {
        std::fprintf(stderr, "usage: %s FILE, a file it can write\n", argv[0]);
        return 1;
    }
    std::printf("%zu items\n", items.size());
    return 0;
}
