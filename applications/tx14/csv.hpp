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

// Reads the records of `text` one at a time; blank lines are skipped.
class CsvReader {
public:
    CsvReader(std::string_view text, const std::string& file);
    // The next record: false at the end and, with a diagnostic, when a
    // quoted field is not closed or a quote is misplaced (failed() then).
    bool next(CsvRecord& record, Diagnostics& diags);
    bool failed() const { return failed_; }

private:
    std::string_view text_;
    const std::string& file_;
    std::size_t i_ = 0;
    int line_ = 1;
    bool done_ = false;
    bool failed_ = false;
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
