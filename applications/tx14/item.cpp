// Building an item from the keys of an item file or a batch row.
#include "item.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "cp1252.hpp"
#include "toml_reading.hpp"

namespace tx14::cli {
namespace {

constexpr std::int64_t kLargestItem = 16777216;  // whole numbers a float holds exactly

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
    case 0: return std::get<OtherType>(e.value).name;
    case 1: return "a whole number";
    case 2: return "a number";
    default: return "a text";
    }
}

template <typename T>
std::optional<T> parse_number(std::string_view s)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
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
    Builder(Item& item, Diagnostics& diags) : item_(item), diags_(diags) {}

    void fault(const Entry& e, const std::string& message) { diags_.push_back({e.where, message}); }

    void expected(const Entry& e, std::string_view what)
    {
        fault(e, "key " + in_quotes(e.key) + " expects " + std::string(what) + ", found " +
                     std::string(found(e)));
    }

    std::optional<std::string> text(const Entry& e)
    {
        if (const std::string* s = std::get_if<std::string>(&e.value))
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
        else if (const auto* s = std::get_if<std::string>(&e.value); s && e.untyped)
            v = parse_number<double>(*s);
        if (!v) {
            if (const auto* s = std::get_if<std::string>(&e.value); s && e.untyped && out_of_range(*s))
                fault(e, "key " + in_quotes(e.key) + ": " + *s +
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

    void item_number(const Entry& e)
    {
        std::optional<std::int64_t> n;
        if (const auto* i = std::get_if<std::int64_t>(&e.value))
            n = *i;
        else if (const auto* s = std::get_if<std::string>(&e.value); s && e.untyped)
            n = parse_number<std::int64_t>(*s);
        if (!n) {
            expected(e, "a whole number");
        } else if (*n < -kLargestItem || *n > kLargestItem) {
            fault(e, "key \"item\": expected a whole number from -16777216 to 16777216");
        } else {
            item_.number = *n;
            item_.element(kItemElement) = static_cast<float>(*n);
        }
    }

    void number_key(const Entry& e, const NumberKey& key)
    {
        std::optional<double> v = number(e);
        if (!v || !item_.units)
            return;
        double internal = item_.units->to_internal(key.quantity, *v);
        if (!(std::fabs(internal) <= std::numeric_limits<float>::max())) {
            fault(e, "key " + in_quotes(e.key) +
                         ": the value in internal units is out of the single-precision range");
            return;
        }
        item_.element(key.element) = static_cast<float>(internal);
    }

    void text_key(const Entry& e, const TextKey& key)
    {
        std::optional<std::string> utf8 = text(e);
        if (!utf8)
            return;
        std::string problem;
        std::optional<std::string> bytes = to_cp1252(*utf8, problem);
        if (!bytes) {
            fault(e, "key " + in_quotes(e.key) + ": " + problem);
        } else if (bytes->size() > kTextWidth) {
            fault(e, "key " + in_quotes(e.key) + ": text longer than 15 characters (" +
                         std::to_string(bytes->size()) + ")");
        } else {
            char* field = item_.texts.data() + (key.field - 1) * kTextWidth;
            std::memcpy(field, bytes->data(), bytes->size());
        }
    }

private:
    Item& item_;
    Diagnostics& diags_;
};

const Entry* find(std::span<const Entry> entries, std::string_view key)
{
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.key == key; });
    return it == entries.end() ? nullptr : &*it;
}

const KindKeys* read_kind(std::span<const Entry> entries, Builder& b, const std::string& source,
                          Diagnostics& diags)
{
    std::string kinds = alternatives(kKinds, [](const KindKeys& k) { return k.name; });
    const Entry* e = find(entries, "kind");
    if (e == nullptr) {
        diags.push_back({{source}, "missing key \"kind\": expected " + kinds});
        return nullptr;
    }
    std::optional<std::string> name = b.text(*e);
    if (!name)
        return nullptr;
    for (const KindKeys& k : kKinds)
        if (k.name == *name)
            return &k;
    b.fault(*e, "key \"kind\": " + in_quotes(*name) + " is not a kind of item; expected " + kinds);
    return nullptr;
}

template <typename Key>
const Key* find_key(std::span<const Key> keys, std::string_view name)
{
    auto it = std::find_if(keys.begin(), keys.end(), [&](const Key& k) { return k.name == name; });
    return it == keys.end() ? nullptr : &*it;
}

}  // namespace

std::string key_list(const KindKeys& keys)
{
    std::string s;
    auto add = [&](std::string_view name) { s += (s.empty() ? "" : ", ") + std::string(name); };
    for (std::string_view k : kCommonKeys)
        add(k);
    for (const TextKey& k : keys.texts)
        add(k.name);
    for (const NumberKey& k : keys.numbers)
        add(k.name);
    return s;
}

std::optional<Item> build_item(std::span<const Entry> entries, const std::string& source,
                               const std::filesystem::path& base_dir, UnitCatalog& units,
                               Diagnostics& diags)
{
    const std::size_t before = diags.size();
    Item item;
    item.source = source;
    Builder b(item, diags);
    const KindKeys* keys = read_kind(entries, b, source, diags);
    if (keys == nullptr)
        return std::nullopt;  // the valid keys depend on the kind

    item.kind = keys->kind;
    item.reals.fill(0.0f);
    item.texts.fill(' ');
    item.element(kItemElement) = kMissingValue;
    for (const NumberKey& k : keys->numbers)
        item.element(k.element) = kMissingValue;
    item.element(kKindElement) = keys->kind_element;

    const std::string kind_words = "a" + std::string(keys->kind == Kind::opening ? "n " : " ") +
                                   std::string(keys->name) + " item";
    const Entry* code = find(entries, "code");
    if (code == nullptr) {
        diags.push_back({{source}, "missing key \"code\": expected " +
                                       alternatives(keys->codes, [](const CodeName& c) { return c.name; })});
    } else if (std::optional<std::string> name = b.text(*code)) {
        if (const CodeName* c = find_key(keys->codes, *name)) {
            item.code = *name;
            item.element(keys->code_element) = static_cast<float>(c->number);
        } else {
            b.fault(*code, "key \"code\": " + in_quotes(*name) + " is not a code of " + kind_words +
                               "; expected " +
                               alternatives(keys->codes, [](const CodeName& c) { return c.name; }));
        }
    }

    const Entry* unit_name = find(entries, "units");
    if (unit_name == nullptr) {
        diags.push_back({{source}, "missing key \"units\": expected \"US\", \"SI\" or a unit file"});
    } else if (std::optional<std::string> name = b.text(*unit_name)) {
        item.units = units.resolve(*name, base_dir, unit_name->where, diags);
    }

    for (const Entry& e : entries) {
        if (e.key == "kind" || e.key == "code" || e.key == "units")
            continue;
        if (e.key == "item")
            b.item_number(e);
        else if (const NumberKey* k = find_key(keys->numbers, e.key))
            b.number_key(e, *k);
        else if (const TextKey* t = find_key(keys->texts, e.key))
            b.text_key(e, *t);
        else
            b.fault(e, "unknown key " + in_quotes(e.key) + " for " + kind_words +
                           "; valid keys: " + key_list(*keys));
    }
    if (diags.size() != before)
        return std::nullopt;
    return item;
}

std::optional<Item> read_item_file(const std::filesystem::path& file, UnitCatalog& units,
                                   Diagnostics& diags)
{
    std::optional<toml::table> table = parse_toml_file(file, diags);
    if (!table)
        return std::nullopt;
    const std::string name = file.string();
    std::vector<Entry> entries;
    for (auto [key, node] : in_file_order(*table)) {
        Entry e{std::string(key->str()), position_of(name, key->source()), OtherType{type_name(*node)}};
        if (const auto* s = node->as_string())
            e.value = s->get();
        else if (const auto* i = node->as_integer())
            e.value = i->get();
        else if (const auto* d = node->as_floating_point())
            e.value = d->get();
        entries.push_back(std::move(e));
    }
    return build_item(entries, name, file.parent_path(), units, diags);
}

}  // namespace tx14::cli
