// Building an item from the keys of an item file or a batch row.
#include "item.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "cp1252.hpp"
#include "text_file.hpp"
#include "toml_reading.hpp"

namespace tx14::cli {
namespace {

std::string in_quotes(std::string_view s) { return "\"" + std::string(s) + "\""; }

// "a" or "a or b" or "a, b or c", each quoted.
template <typename Range, typename Name>
std::string alternatives(const Range& range, Name name)
{
    std::string s;
    std::size_t n = std::size(range), i = 0;
    for (const auto& x : range) {
        if (i > 0)
            s += (i + 1 == n) ? " or " : ", ";
        s += in_quotes(name(x));
        ++i;
    }
    return s;
}

std::string_view found(const Entry& e)
{
    switch (e.value.index()) {
    case 0:
        return std::get<OtherType>(e.value).name;
    case 1:
        return "a whole number";
    case 2:
        return "a number";
    default:
        return "a text";
    }
}

// A number of at most 15 digits, with a sign and a decimal point or not, as
// most cells hold it: its digits as a whole number and the power of ten it
// is divided by are exact doubles, so that the one division rounds the
// number as from_chars does. Nullopt for any other form.
std::optional<double> plain_decimal(std::string_view s)
{
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool minus = !s.empty() && s.front() == '-';
    std::size_t i = minus ? 1 : 0, point = 0;
    std::uint64_t digits = 0;
    int count = 0;
    for (; i < s.size(); ++i) {
        if (s[i] == '.' && point == 0 && count > 0 && i + 1 < s.size()) {
            point = i + 1;
        } else if (s[i] >= '0' && s[i] <= '9' && count < 15) {
            digits = digits * 10 + static_cast<std::uint64_t>(s[i] - '0');
            ++count;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0)
        return std::nullopt;
    const double v = static_cast<double>(digits) / kTens[point ? s.size() - point : 0];
    return minus ? -v : v;
}

template <typename T>
std::optional<T> parse_number(std::string_view s)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if constexpr (std::is_same_v<T, double>)
        if (std::optional<double> v = plain_decimal(s))
            return v;
    T v{};
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
        return std::nullopt;
    return v;
}

// A number too large (or too small) for a double.
bool out_of_range(std::string_view s)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc::result_out_of_range && end == s.data() + s.size();
}

class Builder {
public:
    Builder(Item& item, const std::string& file, Diagnostics& diags) : item_(item), file_(file), diags_(diags) {}

    void fault(const Entry& e, const std::string& message) { diags_.push_back({{file_, e.line, e.column}, message}); }

    void expected(const Entry& e, std::string_view what)
    {
        fault(e, "key " + in_quotes(e.key) + " expects " + std::string(what) + ", found " + std::string(found(e)));
    }

    std::optional<std::string_view> text(const Entry& e)
    {
        if (const std::string_view* s = std::get_if<std::string_view>(&e.value))
            return *s;
        expected(e, "a text");
        return std::nullopt;
    }

    std::optional<double> number(const Entry& e)
    {
        std::optional<double> v;
        if (const auto* i = std::get_if<std::int64_t>(&e.value))
            v = static_cast<double>(*i);
        else if (const auto* d = std::get_if<double>(&e.value))
            v = *d;
        else if (const auto* s = std::get_if<std::string_view>(&e.value); s && e.untyped)
            v = parse_number<double>(*s);
        if (!v) {
            if (const auto* s = std::get_if<std::string_view>(&e.value); s && e.untyped && out_of_range(*s))
                fault(e, "key " + in_quotes(e.key) + ": " + std::string(*s) +
                             " is out of range; expected a number within the single-precision range");
            else
                expected(e, "a number");
            return std::nullopt;
        }
        if (!std::isfinite(*v)) {
            fault(e, "key " + in_quotes(e.key) + ": the value is not finite; expected a finite number");
            return std::nullopt;
        }
        return v;
    }

    void item_number(const Entry& e, items::ItemBuilder* builder)
    {
        std::optional<std::int64_t> n;
        if (const auto* i = std::get_if<std::int64_t>(&e.value))
            n = *i;
        else if (const auto* s = std::get_if<std::string_view>(&e.value); s && e.untyped)
            n = parse_number<std::int64_t>(*s);
        if (!n) {
            expected(e, "a whole number");
        } else if (*n < -items::kLargestItem || *n > items::kLargestItem) {
            fault(e, "key \"item\": expected a whole number from -16777216 to 16777216");
        } else {
            item_.number = *n;
            if (builder)
                builder->item_number(static_cast<double>(*n));
        }
    }

    // A value of a number key of the kind, or of DN (then no key).
    void number_key(const Entry& e, const NumberKey* key, items::ItemBuilder* builder)
    {
        std::optional<double> v = number(e);
        if (v && builder && key)
            builder->number(*key, *v);
        else if (v && builder)
            builder->number(e.key, *v);
    }

    void text_key(const Entry& e, const TextKey& key, items::ItemBuilder* builder)
    {
        std::optional<std::string_view> utf8 = text(e);
        if (!utf8)
            return;
        if (std::all_of(utf8->begin(), utf8->end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
            if (builder)
                builder->text(key, *utf8);  // printable ASCII: the same bytes in Windows-1252
            return;
        }
        std::string problem;
        std::optional<std::string> bytes = to_cp1252(*utf8, problem);
        if (!bytes)
            fault(e, "key " + in_quotes(e.key) + ": " + problem);
        else if (builder)
            builder->text(key, *bytes);
    }

private:
    Item& item_;
    const std::string& file_;
    Diagnostics& diags_;
};

const Entry* find(std::span<const Entry> entries, std::string_view key)
{
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.key == key; });
    return it == entries.end() ? nullptr : &*it;
}

const KindKeys* read_kind(std::span<const Entry> entries, Builder& b, const std::string& source, Diagnostics& diags)
{
    auto kinds = [] { return alternatives(items::kinds(), [](const KindKeys& k) { return k.name; }); };
    const Entry* e = find(entries, "kind");
    if (e == nullptr) {
        diags.push_back({{source}, "missing key \"kind\": expected " + kinds()});
        return nullptr;
    }
    std::optional<std::string_view> name = b.text(*e);
    if (!name)
        return nullptr;
    if (const KindKeys* k = items::kind_named(*name))
        return k;
    b.fault(*e, "key \"kind\": " + in_quotes(*name) + " is not a kind of item; expected " + kinds());
    return nullptr;
}

// Where a finding of the item contract points: the entry of its key, or
// the item as a whole.
Position position_of_key(std::span<const Entry> entries, std::string_view key, const std::string& file,
                         const std::string& source)
{
    const Entry* e = find(entries, key);
    if (!e && key == "NPS")
        e = find(entries, items::kDesignationKey);  // given as DN, which stands in for it
    return e ? Position{file, e->line, e->column} : Position{source};
}

}  // namespace

std::optional<Item> build_item(std::span<const Entry> entries, const std::string& file, const std::string& source,
                               const std::filesystem::path& base_dir, UnitCatalog& units, Diagnostics& diags)
{
    const std::size_t before = diags.size();
    Item item;
    item.source = source;
    Builder b(item, file, diags);
    const KindKeys* keys = read_kind(entries, b, source, diags);
    if (keys == nullptr)
        return std::nullopt;  // the valid keys depend on the kind

    item.kind = keys->kind;
    auto kind_words = [&] {
        return "a" + std::string(keys->kind == Kind::opening ? "n " : " ") + std::string(keys->name) + " item";
    };
    const items::CodeName* code_name = nullptr;
    const Entry* code = find(entries, "code");
    auto codes = [&] { return alternatives(keys->codes, [](const items::CodeName& c) { return c.name; }); };
    if (code == nullptr) {
        diags.push_back({{source}, "missing key \"code\": expected " + codes()});
    } else if (std::optional<std::string_view> name = b.text(*code)) {
        code_name = items::code_named(*keys, *name);
        if (code_name)
            item.code = *name;
        else
            b.fault(*code, "key \"code\": " + in_quotes(*name) + " is not a code of " + kind_words() + "; expected " +
                               codes());
    }

    const Entry* unit_name = find(entries, "units");
    if (unit_name == nullptr) {
        diags.push_back({{source}, "missing key \"units\": expected \"US\", \"SI\" or a unit file"});
    } else if (std::optional<std::string_view> name = b.text(*unit_name)) {
        item.units = units.resolve(*name, base_dir, {file, unit_name->line, unit_name->column}, diags);
    }

    // Without a code and units the values are still checked, not built.
    std::optional<items::ItemBuilder> builder;
    if (code_name && item.units)
        builder.emplace(*keys, *code_name, *item.units);
    items::ItemBuilder* build = builder ? &*builder : nullptr;
    for (const Entry& e : entries) {
        if (e.key == "kind" || e.key == "code" || e.key == "units")
            continue;
        if (e.key == "item")
            b.item_number(e, build);
        else if (const NumberKey* k = items::number_key(*keys, e.key))
            b.number_key(e, k, build);
        else if (e.key == items::kDesignationKey && items::number_key(*keys, "NPS"))
            b.number_key(e, nullptr, build);
        else if (const TextKey* t = items::text_key(*keys, e.key))
            b.text_key(e, *t, build);
        else
            b.fault(e, "unknown key " + in_quotes(e.key) + " for " + kind_words() +
                           "; valid keys: " + items::key_list(*keys));
    }
    if (diags.size() != before || !builder)
        return std::nullopt;
    items::Built built = builder->finish();
    for (const items::Finding& f : built.errors)
        diags.push_back({position_of_key(entries, f.key, file, source), f.message});
    for (const items::Finding& f : built.warnings)
        item.warnings.push_back({position_of_key(entries, f.key, file, source), f.message});
    if (diags.size() != before)
        return std::nullopt;
    item.reals = built.reals;
    item.texts = built.texts;
    return item;
}

std::optional<Item> read_item_file(const std::filesystem::path& file, UnitCatalog& units, Diagnostics& diags)
{
    const std::string name = file.string();
    std::optional<std::string> text = read_text_file(file, diags);
    std::optional<toml::table> table = text ? parse_toml_text(*text, name, diags) : std::nullopt;
    if (!table)
        return std::nullopt;
    std::vector<Entry> entries;
    for (auto [key, node] : in_file_order(*table)) {
        const Position at = position_of(name, key->source());
        Entry e{key->str(), at.line, at.column, OtherType{type_name(*node)}};
        if (const auto* s = node->as_string())
            e.value = std::string_view(s->get());
        else if (const auto* i = node->as_integer())
            e.value = i->get();
        else if (const auto* d = node->as_floating_point())
            e.value = d->get();
        entries.push_back(std::move(e));
    }
    std::optional<Item> item = build_item(entries, name, name, file.parent_path(), units, diags);
    if (item)
        item->input_sha256 = sha256_hex(*text);
    return item;
}

}  // namespace tx14::cli
