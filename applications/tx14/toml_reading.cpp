// Reading TOML files with positions for the messages about them.
#include "toml_reading.hpp"

#include <algorithm>

#include "text_file.hpp"

namespace tx14::cli {

std::string_view type_name(const toml::node& value)
{
    switch (value.type()) {
    case toml::node_type::string: return "a text";
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a number";
    case toml::node_type::boolean: return "true or false";
    case toml::node_type::date:
    case toml::node_type::time:
    case toml::node_type::date_time: return "a date or time";
    case toml::node_type::array: return "an array";
    case toml::node_type::table: return "a table";
    default: return "nothing";
    }
}

std::vector<std::pair<const toml::key*, const toml::node*>> in_file_order(const toml::table& table)
{
    std::vector<std::pair<const toml::key*, const toml::node*>> keys;
    for (auto&& [key, node] : table)
        keys.emplace_back(&key, &node);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        const toml::source_position &pa = a.first->source().begin, &pb = b.first->source().begin;
        return pa.line != pb.line ? pa.line < pb.line : pa.column < pb.column;
    });
    return keys;
}

std::optional<toml::table> parse_toml_file(const std::filesystem::path& file, Diagnostics& diags)
{
    std::optional<std::string> text = read_text_file(file, diags);
    if (!text)
        return std::nullopt;
    const std::string name = file.string();
    try {
        return toml::parse(*text, name);
    } catch (const toml::parse_error& e) {
        diags.push_back({position_of(name, e.source()), std::string(e.description())});
        return std::nullopt;
    }
}

}  // namespace tx14::cli
