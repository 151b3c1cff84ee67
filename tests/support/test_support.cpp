// Items as a host hands them to the library, and their reports read back.
#include "test_support.hpp"

#include "entry/context_state.hpp"
#include "jacket/jacket_item.hpp"

namespace tx14::test {
namespace {

// Elements 1 to 21 of a jacket or coil item, the materials in text fields 1 and 2.
JacketItem jacket_item(const std::array<float, 21>& elements)
{
    JacketItem item;
    std::copy(elements.begin(), elements.end(), item.reals.begin());
    item.text(1, "SA-516 70");
    item.text(2, "SA-106 B");
    return item;
}

}  // namespace

JacketItem half_pipe_item()
{
    //                 item D   ts      P    T    S      Sa     ca      E  NPS Tj     Pj   Tjacket
    return jacket_item(
        {7, 48, 0.375f, 100, 300, 20000, 20000, 0.125f, 1, 2, 0.25f, 100, 350, 15000, 15000, 0.0625f, 0, 0, 0, 1, 0});
    //                 Sj     Sja    caj      r  ExtPCore co code L
}

JacketItem limpet_coil_item()
{
    //                 item D   e     P   T    f      Sa ca      E  NPS ec      pc   Tcoil
    return jacket_item(
        {8, 48, 0.5f, 50, 200, 20000, 0, 0.125f, 0, 3, 0.216f, 100, 250, 15000, 0, 0.0625f, 0, 0, 0, 3, 12});
    //                 fc     Sja caj     r  ExtPCore co code L
}

JacketItem appendix_ee_item()
{
    JacketItem item = half_pipe_item();
    item.set({{11, 0.07f}, {12, 300}});  // Tj, Pj
    return item;
}

JacketItem div2_item()
{
    JacketItem item = half_pipe_item();
    item.set({{10, 3}, {11, 0.216f}, {18, 5}, {19, 0.0625f}, {20, 2}});  // NPS Tj ExtPCore co code
    return item;
}

JacketItem en13445_item()
{
    JacketItem item = limpet_coil_item();
    item[20] = 4;
    return item;
}

int ItemRun::find(std::string_view text, bool prefix) const
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (prefix ? lines[i].starts_with(text) : lines[i] == text)
            return static_cast<int>(i);
    return -1;
}

ItemRun run(HostItem item)
{
    Context ctx;
    item.run(ctx);
    ItemRun result;
    result.reals = item.reals;
    result.errors = item.error_count;
    result.input_errors = ctx.input_errors();
    result.passes = context_state(ctx).opening_results.passes;
    for (int i = 0; i < ctx.captured_lines(); ++i) {
        result.records.emplace_back(ctx.captured_record(i).substr(0, 120));
        result.lines.push_back(text_of(ctx.captured_record(i)));
    }
    return result;
}

std::unique_ptr<State> state_of(HostItem item)
{
    auto st = std::make_unique<State>();
    take_over_units(st->units, item.unit_factors.data(), item.unit_labels.data());
    st->report.reset();
    if (item[200] == 1.0f) {
        unpack_jacket_input(st->jacket, item.reals.data(), item.texts.data());
    } else {
        unpack_opening_input(st->opening, item.reals.data(), item.texts.data());
    }
    return st;
}

std::vector<std::string> captured(const Report& r)
{
    std::vector<std::string> lines;
    for (int i = 0; i < r.capture.count; ++i)
        lines.push_back(text_of(std::string_view(r.capture.records[i], kCaptureRecordWidth)));
    return lines;
}

std::string padded(std::string_view text, std::size_t width)
{
    std::string s(text.substr(0, width));
    s.resize(width, ' ');
    return s;
}

Item typed_item(const HostItem& host)
{
    const bool jacket = host.reals[199] == 1.0f;
    const KindKeys& keys = keys_of(jacket ? Kind::jacket : Kind::opening);
    const int selector = static_cast<int>(host.reals[jacket ? 19 : 24]);
    Item item;
    item.set("kind", std::string(keys.name)).set("units", "US");
    for (const CodeName& c : keys.codes)
        if (c.number == selector)
            item.set("code", std::string(c.name));
    for (const NumberKey& k : keys.numbers)
        if (const float v = host.reals[static_cast<std::size_t>(k.element - 1)]; v != 0.0f)
            item.set(std::string(k.name), static_cast<double>(v));
    for (const TextKey& k : keys.texts) {
        std::string_view field(host.texts.data() + (k.field - 1) * 15, 15);
        field = field.substr(0, field.find_last_not_of(' ') + 1);
        if (!field.empty())
            item.set(std::string(k.name), std::string(field));
    }
    return item;
}

}  // namespace tx14::test
