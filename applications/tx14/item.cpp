// An item file or a batch row as the library's item.
#include "item.hpp"

#include <algorithm>

#include "text_file.hpp"
#include "toml_reading.hpp"

namespace tx14::cli {

Position SourceItem::position_of(std::string_view key) const
{
    for (std::string_view k : {key, key == "NPS" ? kDesignationKey : key})  // DN stands in for NPS
        for (std::size_t i = 0; i < item.entries.size(); ++i)
            if (item.entries[i].key == k)
                return where[i];
    return {source};
}

bool build_item(SourceItem& s, std::span<const Entry> entries, const std::string& file,
                const std::filesystem::path& base_dir, UnitCatalog& units, Diagnostics& diags)
{
    s.item.entries.resize(entries.size());
    s.where.resize(entries.size());
    s.item.unit_system.reset();
    std::size_t in_file = std::min(s.in_file, entries.size());
    if (in_file > 0 && s.where[0].file != file)
        in_file = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        tx14::Entry& to = s.item.entries[i];
        if (to.key != e.key)  // as the item before's, mostly (a batch's rows)
            to.key.assign(e.key);
        to.untyped = e.untyped;
        std::string* text = std::get_if<std::string>(&to.value);  // a row before's text: its memory reused
        if (const auto* d = std::get_if<double>(&e.value))
            to.value = *d;
        else if (const auto* t = std::get_if<std::string_view>(&e.value); t && text) {
            text->clear();  // and append: assign() looks for *t inside *text, at twice the instructions
            text->append(*t);
        } else if (t)
            to.value.emplace<std::string>(*t);
        else
            to.value = tx14::OtherType{std::string(std::get<OtherType>(e.value).name)};
        if (i >= in_file && s.where[i].file != file)
            s.where[i].file = file;
        s.where[i].line = e.line;
        s.where[i].column = e.column;
    }
    s.in_file = entries.size();
    // A unit file the item names is read here; "US" and "SI" are the library's.
    const tx14::Entry* name = s.item.find("units");
    const std::string* text = name ? std::get_if<std::string>(&name->value) : nullptr;
    if (text && !builtin_units(*text)) {
        const std::size_t before = diags.size();
        s.item.unit_system = units.resolve(*text, base_dir, s.position_of("units"), diags);
        return diags.size() == before;
    }
    return true;
}

std::optional<SourceItem> build_item(std::span<const Entry> entries, const std::string& file, const std::string& source,
                                     const std::filesystem::path& base_dir, UnitCatalog& units, Diagnostics& diags)
{
    std::optional<SourceItem> s(std::in_place);
    s->source = source;
    if (!build_item(*s, entries, file, base_dir, units, diags))
        s.reset();
    return s;
}

std::optional<SourceItem> read_item_file(const std::filesystem::path& file, UnitCatalog& units, Diagnostics& diags)
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
            e.value = static_cast<double>(i->get());
        else if (const auto* d = node->as_floating_point())
            e.value = d->get();
        entries.push_back(std::move(e));
    }
    std::optional<SourceItem> item = build_item(entries, name, name, file.parent_path(), units, diags);
    if (item)
        item->input_sha256 = sha256_hex(*text);
    return item;
}

void analyse(tx14::Context& ctx, const SourceItem& item, const tx14::Options& options, Diagnostics& diags,
             tx14::Outcome& outcome)
{
    ctx.analyse(item.item, outcome, options);
    for (const tx14::Finding& f : outcome.errors)
        diags.push_back({f.key.empty() ? Position{item.source} : item.position_of(f.key), f.message});
}

tx14::Outcome analyse(tx14::Context& ctx, const SourceItem& item, const tx14::Options& options, Diagnostics& diags)
{
    tx14::Outcome o;
    analyse(ctx, item, options, diags, o);
    return o;
}

}  // namespace tx14::cli
