// The calculation sheet of an item run by tx14: the document filled from
// the item, its outcome and a sweep of its thickness, the identification
// of its input (SHA-256, date), and printing it to PDF with a browser.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "analysis.hpp"
#include "sheet.hpp"

namespace tx14::cli {

// What identifies the run on the sheet.
struct SheetSource {
    std::string name;     // the input file, or the batch file and row
    std::string sha256;   // of the input's bytes, hex
    std::string date_time;
    sheet::Paper paper = sheet::Paper::a4;
};

sheet::Document sheet_of(const Item& item, const Outcome& outcome, const SheetSource& source);

// Writes the sheet of a batch row to DIR/row-NNNN.html; its line of the
// index, with no file named when the sheet could not be written.
sheet::IndexEntry write_row_sheet(const std::filesystem::path& dir, int row, const Item& item, const Outcome& outcome,
                                  const SheetSource& batch);

// A bad row's line of the index.
sheet::IndexEntry bad_row_entry(int row);

// The date and time of the run, UTC: SOURCE_DATE_EPOCH when set (for
// reproducible documents), else the clock.
std::string run_date_time();

// Prints an HTML document to PDF with headless Chromium (TX14_CHROMIUM,
// else /usr/bin/chromium) into `pdf`. False with `error` set when there is
// no browser or the printing fails.
bool print_pdf(const std::string& html, std::string& pdf, std::string& error);

}  // namespace tx14::cli
