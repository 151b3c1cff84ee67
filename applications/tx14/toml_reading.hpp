// Reading TOML files with positions for the messages about them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <toml++/toml.h>

#include "diagnostics.hpp"

namespace tx14::cli {

inline Position position_of(const std::string& file, const toml::source_region& where)
{
    return {file, static_cast<int>(where.begin.line), static_cast<int>(where.begin.column)};
}

// What a TOML value is, in words, for "expected ..., found ..." messages.
std::string_view type_name(const toml::node& value);

// The keys of a table in the order of the file (the table orders them by
// name), so that messages follow the file.
std::vector<std::pair<const toml::key*, const toml::node*>> in_file_order(const toml::table& table);

// Parses a TOML file; nullopt with a diagnostic when it cannot be read or
// is not valid TOML.
std::optional<toml::table> parse_toml_file(const std::filesystem::path& file, Diagnostics& diags);

}  // namespace tx14::cli
