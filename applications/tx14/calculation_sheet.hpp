// The calculation sheet of an item run by tx14: the document filled from
// the item, its outcome and a sweep of its thickness, and the
// identification of its input (SHA-256, date).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "item.hpp"
#include "item_sheet.hpp"

namespace tx14::cli {

// What identifies a run of tx14 on its sheets: `name` (the input file, or
// the batch file), the SHA-256 of its bytes, the date and time of the run
// (UTC: SOURCE_DATE_EPOCH when set, for reproducible documents, else the
// clock) and this library's version.
sheet::Source sheet_source(std::string name, std::string sha256, sheet::Paper paper);

sheet::Document sheet_of(const SourceItem& item, const Outcome& outcome, const sheet::Source& source);

// The file of a batch row: row-0001.txt, ..., row-12345.html.
std::string row_file_name(int row, std::string_view extension);

// Writes the sheet of a batch row to DIR/row-NNNN.html; its line of the
// index, with no file named and `error` set to the reason when the sheet
// could not be written.
sheet::IndexEntry write_row_sheet(const std::filesystem::path& dir, int row, const SourceItem& item,
                                  const Outcome& outcome, const sheet::Source& batch,
                                  std::optional<std::string>& error);

// A bad row's line of the index.
sheet::IndexEntry bad_row_entry(int row);

// Why SOURCE_DATE_EPOCH cannot date a sheet (not a whole number of seconds
// from 1970 to the end of 9999); nullopt when it can or is not set.
std::optional<std::string> source_date_epoch_problem();

}  // namespace tx14::cli
