// Comma-separated values: fields optionally in double quotes ("" for a
// quote inside), records ended by LF or CRLF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagnostics.hpp"

namespace tx14::cli {

struct CsvCell {
    std::string text;    // unquoted cells without their surrounding blanks
    int line = 0;
    int column = 0;
};

struct CsvRecord {
    std::vector<CsvCell> cells;
    int line = 0;        // where the record starts
};

// Splits `text` into records; blank lines are skipped. False with a
// diagnostic when a quoted field is not closed or a quote is misplaced.
bool parse_csv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records,
               Diagnostics& diags);

// One field for a CSV file, quoted when it needs to be. A text beginning
// with =, +, -, @, a tab or a carriage return (which a spreadsheet would run
// as a formula) gets a leading ', unless it is a plain number.
std::string csv_field(std::string_view cell);

}  // namespace tx14::cli
