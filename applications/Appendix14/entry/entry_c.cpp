// The typed entry's C interface: items in as JSON, outcomes out as JSON.
#include "../include/txappendix14_entry.h"

#include <cmath>
#include <new>

#include "../include/txappendix14.hpp"
#include "guarded.hpp"
#include "json.hpp"

struct tx14_batch {
    tx14::Context context;
    std::vector<tx14::Outcome> outcomes;
    std::string part;   // the last part asked for
    std::string error;  // why the last run failed
};

namespace {

using namespace tx14;

// A unit system as a JSON object {"name", "factors", "labels"}; nullptr
// when it is not one (the entry then says what "units" should be).
std::shared_ptr<const UnitSystem> unit_system_of(const json::Value& v)
{
    const json::Value* n = v.member("name");
    const json::Value* f = v.member("factors");
    const json::Value* l = v.member("labels");
    const auto* factors = f ? std::get_if<json::Array>(&f->v) : nullptr;
    const auto* labels = l ? std::get_if<json::Array>(&l->v) : nullptr;
    if (!n || !std::holds_alternative<std::string>(n->v) || !factors || !labels || factors->size() != kFactorCount ||
        labels->size() != kLabelCount)
        return nullptr;
    auto u = std::make_shared<UnitSystem>();
    u->name = std::get<std::string>(n->v);
    for (std::size_t i = 0; i < factors->size(); ++i) {
        const double* x = std::get_if<double>(&(*factors)[i].v);
        if (!x)
            return nullptr;
        u->factors[i] = *x;
    }
    for (std::size_t i = 0; i < labels->size(); ++i) {
        const std::string* text = std::get_if<std::string>(&(*labels)[i].v);
        std::string problem;
        std::optional<std::string> bytes = text ? text::to_cp1252(*text, problem) : std::nullopt;
        if (!bytes)
            return nullptr;
        u->labels[i] = std::move(*bytes);
    }
    return u;
}

// An item object's members as entries: texts are read by the key's type
// ("3.5" for a number key), null and NaN are not given.
Item item_of(const json::Object& object)
{
    Item item;
    for (const auto& [key, v] : object) {
        Entry e{key, std::monostate{}, true};
        if (const double* d = std::get_if<double>(&v.v); d && !std::isnan(*d))
            e.value = *d;
        else if (const std::string* s = std::get_if<std::string>(&v.v))
            e.value = *s;
        else if (std::holds_alternative<bool>(v.v))
            e.value = OtherType{"true or false"};
        else if (std::holds_alternative<json::Array>(v.v))
            e.value = OtherType{"an array"};
        else if (std::holds_alternative<json::Object>(v.v)) {
            if (key == "units" && (item.unit_system = unit_system_of(v)))
                e.value = item.unit_system->name;
            else
                e.value =
                    OtherType{key == "units" ? "an object that is not a unit system {name, factors[22], labels[23]}"
                                             : "an object"};
        }
        item.entries.push_back(std::move(e));
    }
    return item;
}

int32_t run(tx14_batch& b, std::string_view text, int32_t flags)
{
    b.outcomes.clear();
    b.error.clear();
    std::optional<json::Value> items = json::parse(text, b.error);
    const json::Array* list = items ? std::get_if<json::Array>(&items->v) : nullptr;
    if (items && !list)
        b.error = "the items are not a JSON array";
    if (!list)
        return -1;
    Options options;
    options.plain = (flags & TX14_PLAIN) != 0;
    options.report = (flags & TX14_NO_REPORT) == 0;
    b.outcomes.reserve(list->size());
    for (std::size_t i = 0; i < list->size(); ++i) {
        const json::Object* object = std::get_if<json::Object>(&(*list)[i].v);
        if (!object) {
            b.outcomes.clear();
            b.error = "item " + std::to_string(i) + " is not a JSON object";
            return -1;
        }
        b.outcomes.push_back(b.context.analyse(item_of(*object), options));
    }
    return static_cast<int32_t>(b.outcomes.size());
}

// The text `write` puts in the batch's part, its size in *size; NULL when
// memory runs out.
template <class Write>
const char* part_of(tx14_batch& b, size_t* size, Write write)
{
    if (!guarded([&] { return write(b.part), true; }, false))
        return nullptr;
    if (size)
        *size = b.part.size();
    return b.part.c_str();
}

}  // namespace

std::optional<Item> tx14::item_from_json(std::string_view text, std::string& error)
{
    std::optional<json::Value> v = json::parse(text, error);
    const json::Object* object = v ? std::get_if<json::Object>(&v->v) : nullptr;
    if (v && !object)
        error = "the item is not a JSON object";
    return object ? std::optional<Item>(item_of(*object)) : std::nullopt;
}

extern "C" {

TX_API tx14_batch* tx14_batch_create(void)
{
    return guarded([] { return new tx14_batch; }, static_cast<tx14_batch*>(nullptr));
}

TX_API void tx14_batch_destroy(tx14_batch* batch) { delete batch; }

TX_API int32_t tx14_batch_run(tx14_batch* batch, const char* items, size_t size, int32_t flags)
{
    if (batch == nullptr || (items == nullptr && size > 0))
        return -2;
    const std::int32_t n =
        guarded([&] { return run(*batch, std::string_view(items ? items : "", size), flags); }, std::int32_t{-3});
    if (n == -3) {  // memory ran out
        batch->outcomes.clear();
        batch->error = "out of memory";
        return -1;
    }
    return n;
}

TX_API const char* tx14_batch_outcome(tx14_batch* batch, int32_t i, int32_t part, size_t* size)
{
    if (batch == nullptr || i < 0 || static_cast<std::size_t>(i) >= batch->outcomes.size() ||
        part < TX14_OUTCOME_WHOLE || part > TX14_OUTCOME_REPORT)
        return nullptr;
    return part_of(*batch, size, [&](std::string& s) {
        s = outcome_json(batch->outcomes[static_cast<std::size_t>(i)], static_cast<OutcomePart>(part));
    });
}

TX_API const char* tx14_batch_outcomes(tx14_batch* batch, int32_t part, size_t* size)
{
    if (batch == nullptr || part < TX14_OUTCOME_WHOLE || part > TX14_OUTCOME_REPORT)
        return nullptr;
    return part_of(*batch, size, [&](std::string& s) {
        s.clear();
        for (const Outcome& o : batch->outcomes)
            (s += outcome_json(o, static_cast<OutcomePart>(part))) += '\n';
    });
}

TX_API const char* tx14_batch_error(const tx14_batch* batch) { return batch ? batch->error.c_str() : ""; }

TX_API const char* tx14_keys_json(void)
{
    return guarded(
        [] {
            static const std::string keys = keys_json();
            return keys.c_str();
        },
        static_cast<const char*>(nullptr));
}

}  // extern "C"
