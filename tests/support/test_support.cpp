// Items as a host hands them to the library, and their reports read back.
#include "test_support.hpp"

#include "entry/context_state.hpp"

namespace tx14::test {

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
