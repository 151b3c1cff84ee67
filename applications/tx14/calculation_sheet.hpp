// The calculation sheet of an item run by tx14: the document filled from
// the item, its outcome and a sweep of its thickness, and the
// identification of its input (SHA-256, date).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "item.hpp"
#include "sheet.hpp"

namespace tx14::cli {

// What identifies the run on the sheet.
struct SheetSource {
    std::string name;    // the input file, or the batch file and row
    std::string sha256;  // of the input's bytes, hex
    std::string date_time;
    sheet::Paper paper = sheet::Paper::a4;
};

sheet::Document sheet_of(const SourceItem& item, const Outcome& outcome, const SheetSource& source);

// The file of a batch row: row-0001.txt, ..., row-12345.html.
std::string row_file_name(int row, std::string_view extension);

// Writes the sheet of a batch row to DIR/row-NNNN.html; its line of the
// index, with no file named and `error` set to the reason when the sheet
// could not be written.
sheet::IndexEntry write_row_sheet(const std::filesystem::path& dir, int row, const SourceItem& item,
                                  const Outcome& outcome, const SheetSource& batch, std::optional<std::string>& error);

// A bad row's line of the index.
sheet::IndexEntry bad_row_entry(int row);

// The date and time of the run, UTC: SOURCE_DATE_EPOCH when set (for
// reproducible documents), else the clock.
std::string run_date_time();

// Why SOURCE_DATE_EPOCH cannot date a sheet (not a whole number of seconds
// from 1970 to the end of 9999); nullopt when it can or is not set.
std::optional<std::string> source_date_epoch_problem();

}  // namespace tx14::cli
