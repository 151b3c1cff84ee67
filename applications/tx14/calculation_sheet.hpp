// The calculation sheet of an item run by tx14: the document filled from
// the item, its outcome and a sweep of its thickness, the identification
// of its input (SHA-256, date), and printing it to PDF with a browser.
#pragma once

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
sheet::IndexEntry write_row_sheet(const std::string& dir, int row, const Item& item, const Outcome& outcome,
                                  const SheetSource& batch);

// A bad row's line of the index.
sheet::IndexEntry bad_row_entry(int row);

// SHA-256 of bytes as 64 lowercase hex digits.
std::string sha256_hex(std::string_view bytes);

// SHA-256 of a file's bytes; nullopt when it cannot be read.
std::optional<std::string> file_sha256(const std::string& file);

// The date and time of the run, UTC: SOURCE_DATE_EPOCH when set (for
// reproducible documents), else the clock.
std::string run_date_time();

// Prints an HTML file to PDF with headless Chromium (TX14_CHROMIUM, else
// /usr/bin/chromium). False with `error` set when there is no browser or
// the printing fails; the PDF appears whole or not at all.
bool print_pdf(const std::string& html_file, const std::string& pdf_file, std::string& error);

}  // namespace tx14::cli
