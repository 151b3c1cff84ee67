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

// How deep a TOML text may nest: every part of a table header or dotted
// key is one level, every array or inline table one more.
inline constexpr int kMaxTomlDepth = 64;

// Where the text first nests deeper than kMaxTomlDepth, found without
// parsing it (the parser would exhaust its stack on a deep enough text).
std::optional<Position> too_deep(std::string_view text, const std::string& file);

// Parses a TOML text (the file name is for the messages) or the TOML file
// (at most 1 MiB, a regular file or "-" for standard input); nullopt with a
// diagnostic when it cannot be read, nests too deep or is not valid TOML.
std::optional<toml::table> parse_toml_text(std::string_view text, const std::string& file, Diagnostics& diags);
std::optional<toml::table> parse_toml_file(const std::filesystem::path& file, Diagnostics& diags);

}  // namespace tx14::cli
