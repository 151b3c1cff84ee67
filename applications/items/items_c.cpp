// The C interface of the item contract, for foreign-function callers.
#include <algorithm>
#include <cstring>
#include <deque>
#if !defined(__wasi__)  // the WebAssembly module runs on one thread, without <mutex>
#include <mutex>
#endif
#include <new>

#include "include/tx14_items.h"
#include "items.hpp"

using namespace tx14::items;

struct tx14_item {
    UnitSystem units;
    ItemBuilder builder;

    tx14_item(UnitSystem u, const KindKeys& k, const CodeName& c) : units(std::move(u)), builder(k, c, units) {}
};

namespace {

// NUL-terminated copies of the tables' texts, kept for the caller.
const char* c_text(std::string_view s)
{
    static std::deque<std::string> texts;  // elements stay where they are
#if !defined(__wasi__)
    static std::mutex lock;
    std::lock_guard<std::mutex> hold(lock);
#endif
    for (const std::string& t : texts)
        if (t == s)
            return t.c_str();
    return texts.emplace_back(s).c_str();
}

void put(char* buffer, std::size_t size, std::size_t& used, std::string_view line)
{
    if (buffer == nullptr || size == 0)
        return;
    std::size_t n = std::min(line.size(), size - 1 - std::min(used, size - 1));
    std::memcpy(buffer + used, line.data(), n);
    used += n;
    if (used < size - 1)
        buffer[used++] = '\n';
    buffer[std::min(used, size - 1)] = '\0';
}

void clear(char* buffer, std::size_t size)
{
    if (buffer != nullptr && size > 0)
        buffer[0] = '\0';
}

const KindKeys* kind_of(const char* kind) { return kind ? kind_named(kind) : nullptr; }

}  // namespace

extern "C" {

const char* tx14_items_kind(int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < kinds().size() ? c_text(kinds()[index].name) : nullptr;
}

const char* tx14_items_code(const char* kind, int index, int* number)
{
    const KindKeys* k = kind_of(kind);
    if (k == nullptr || index < 0 || static_cast<std::size_t>(index) >= k->codes.size())
        return nullptr;
    if (number != nullptr)
        *number = k->codes[index].number;
    return c_text(k->codes[index].name);
}

int tx14_items_number_key(const char* kind, int index, tx14_item_key* key)
{
    const KindKeys* k = kind_of(kind);
    if (k == nullptr || index < 0 || static_cast<std::size_t>(index) >= k->numbers.size() || key == nullptr)
        return 0;
    const NumberKey& n = k->numbers[index];
    *key = {c_text(n.name), n.element,        0, c_text(name_of(n.quantity)), c_text(n.meaning),
            n.required,     c_text(n.instead)};
    return 1;
}

int tx14_items_text_key(const char* kind, int index, tx14_item_key* key)
{
    const KindKeys* k = kind_of(kind);
    if (k == nullptr || index < 0 || static_cast<std::size_t>(index) >= k->texts.size() || key == nullptr)
        return 0;
    const TextKey& t = k->texts[index];
    *key = {c_text(t.name), 0, t.field, c_text(""), c_text(t.meaning), 0, c_text("")};
    return 1;
}

int tx14_items_result(const char* kind, int index, tx14_item_key* key)
{
    const KindKeys* k = kind_of(kind);
    if (k == nullptr || index < 0 || static_cast<std::size_t>(index) >= k->results.size() || key == nullptr)
        return 0;
    const ResultKey& r = k->results[index];
    *key = {c_text(r.name), r.element, 0, c_text(name_of(r.quantity)), c_text(""), 0, c_text("")};
    return 1;
}

int tx14_units_slot(const char* quantity)
{
    std::optional<Quantity> q = quantity ? quantity_named(quantity) : std::nullopt;
    return q ? slot_of(*q) : 0;
}

int tx14_units_label_width(int slot) { return static_cast<int>(label_width(slot)); }

int tx14_units_builtin(const char* name, double* factors, char* labels)
{
    if (factors == nullptr || labels == nullptr)
        return TX14_ITEMS_NULL_ARGUMENT;
    const UnitSystem* u = name ? builtin_units(name) : nullptr;
    if (u == nullptr)
        return 0;
    std::copy(u->factors.begin(), u->factors.end(), factors);
    auto l = u->host_labels();
    std::copy(l.begin(), l.end(), labels);
    return 1;
}

int tx14_units_check(const double* factors, const char* const* labels, char* messages, size_t size)
{
    clear(messages, size);
    std::size_t used = 0;
    if (factors == nullptr || labels == nullptr) {
        put(messages, size, used, factors == nullptr ? "no unit factors" : "no unit labels");
        return TX14_ITEMS_NULL_ARGUMENT;
    }
    std::vector<std::string> l(kLabelCount);
    for (std::size_t i = 0; i < l.size(); ++i)
        l[i] = labels[i] ? labels[i] : "";
    std::vector<UnitProblem> problems = unit_problems({factors, kFactorCount}, l);
    for (const UnitProblem& p : problems)
        put(messages, size, used, p.message);
    return static_cast<int>(problems.size());
}

tx14_item* tx14_item_create(const char* kind, const char* code, const double* factors, const char* labels,
                            char* messages, size_t size)
{
    clear(messages, size);
    std::size_t used = 0;
    const KindKeys* k = kind_of(kind);
    if (factors == nullptr) {
        put(messages, size, used, "no unit factors");
        return nullptr;
    }
    if (k == nullptr) {
        put(messages, size, used, "key \"kind\": not a kind of item; expected \"opening\" or \"jacket\"");
        return nullptr;
    }
    const CodeName* c = code ? code_named(*k, code) : nullptr;
    if (c == nullptr) {
        std::string valid;
        for (const CodeName& n : k->codes)
            valid += (valid.empty() ? "\"" : ", \"") + std::string(n.name) + "\"";
        put(messages, size, used,
            "key \"code\": not a code of a" + std::string(k->kind == Kind::opening ? "n " : " ") +
                std::string(k->name) + " item; expected " + valid);
        return nullptr;
    }
    UnitSystem units;
    std::copy(factors, factors + kFactorCount, units.factors.begin());
    for (std::size_t i = 0; labels != nullptr && i < units.labels.size(); ++i)
        units.labels[i].assign(labels + i * kLabelWidth, kLabelWidth);
    return new (std::nothrow) tx14_item(std::move(units), *k, *c);
}

void tx14_item_destroy(tx14_item* item) { delete item; }

int tx14_item_key_type(const tx14_item* item, const char* key)
{
    if (item == nullptr || key == nullptr)
        return 0;
    return item->builder.is_number_key(key) ? 1 : item->builder.is_text_key(key) ? 2 : 0;
}

void tx14_item_set_number(tx14_item* item, const char* key, double value)
{
    if (item != nullptr && key != nullptr)
        item->builder.number(key, value);
}

void tx14_item_set_text(tx14_item* item, const char* key, const char* text)
{
    if (item != nullptr && key != nullptr && text != nullptr)
        item->builder.text(key, text);
}

void tx14_item_set_item_number(tx14_item* item, double number)
{
    if (item != nullptr)
        item->builder.item_number(number);
}

int tx14_item_finish(tx14_item* item, float* reals, char* texts, char* errors, size_t errors_size, char* warnings,
                     size_t warnings_size)
{
    clear(errors, errors_size);
    clear(warnings, warnings_size);
    if (item == nullptr)
        return 1;
    if (reals == nullptr || texts == nullptr) {
        std::size_t used = 0;
        put(errors, errors_size, used, reals == nullptr ? "no array for the reals" : "no array for the texts");
        return TX14_ITEMS_NULL_ARGUMENT;
    }
    Built b = item->builder.finish();
    std::copy(b.reals.begin(), b.reals.end(), reals);
    std::copy(b.texts.begin(), b.texts.end(), texts);
    std::size_t used = 0;
    for (const Finding& f : b.errors)
        put(errors, errors_size, used, f.message);
    used = 0;
    for (const Finding& f : b.warnings)
        put(warnings, warnings_size, used, f.message);
    return static_cast<int>(b.errors.size());
}

}  // extern "C"
