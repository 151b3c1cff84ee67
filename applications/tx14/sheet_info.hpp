// The sheet texts a batch gives once for every row: a TOML file with a
// [sheet] table of project, vessel, drawing, revision, purpose and the
// three names.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics.hpp"

namespace tx14::cli {

// One text of the [sheet] table, and where it stands (for the messages of
// the rows that take it).
struct SheetInfoText {
    std::string key;
    std::string text;  // UTF-8, one line; never empty
    Position where;
};

// Whether `key` is a sheet text's; all their keys, ", " between, in the
// order of kSheetKeys.
bool is_sheet_key(std::string_view key);
std::string sheet_keys();

// The texts of the file's [sheet] table in the order of the file (an empty
// text gives nothing); nullopt with a diagnostic for each problem: a file
// that cannot be read or is not TOML, a key beside the table or unknown
// within it, a value that is not a sheet text.
std::optional<std::vector<SheetInfoText>> read_sheet_info(const std::filesystem::path& file, Diagnostics& diags);

}  // namespace tx14::cli
