// Comma-separated values: fields optionally in double quotes ("" for a
// quote inside), records ended by LF or CRLF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics.hpp"

namespace tx14::cli {

struct CsvCell {
    std::string text;  // unquoted cells without their surrounding blanks
    int line = 0;
    int column = 0;
};

struct CsvRecord {
    std::vector<CsvCell> cells;
    int line = 0;  // where the record starts
};

// A field as it stands in the text, from its first byte up to the comma or
// the end of its line (a carriage return there dropped): blanks and quotes
// still around it. Where it begins.
struct CsvField {
    std::string_view raw;
    int line = 0;
    int column = 0;
};

// The cell a field holds: without the blanks around it and, when quoted,
// without its quotes ("" read as "). `scratch` keeps it when it had to be
// unquoted that way.
std::string_view unquoted_cell(std::string_view raw, std::string& scratch);  // the cells with more than their text
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
inline std::string_view cell_text(std::string_view raw, std::string& scratch)
{
    if (raw.empty() || (!is_blank(raw.front()) && raw.front() != '"' && !is_blank(raw.back())))
        return raw;  // most cells
    return unquoted_cell(raw, scratch);
}

// Splits text into records as it arrives, block by block; blank lines are
// skipped. The fields point into the text given.
class CsvScanner {
public:
    enum class Step { record, more, end, failed };

    // The next record of `text` from at(): `more` when it may go on past
    // the text (nothing taken then), `failed` with a diagnostic when a
    // quoted field is not closed or a quote is misplaced. `last`: the text
    // holds the rest of the input.
    Step next(std::string_view text, bool last, std::vector<CsvField>& fields, int& line, const std::string& file,
              Diagnostics& diags);
    // The next record as next() finds it, its fields read only where a
    // line holds a quote: counting the records of a text.
    Step skip(std::string_view text, bool last, std::vector<CsvField>& fields, const std::string& file,
              Diagnostics& diags);
    std::size_t at() const { return at_; }
    // The first n bytes of the text were dropped before the next call.
    void drop(std::size_t n)
    {
        at_ -= n;
        line_start_ -= n;
    }

private:
    bool start(std::string_view text, bool last);
    Step record(std::string_view text, bool last, std::vector<CsvField>& fields, const std::string& file,
                Diagnostics& diags);

    std::size_t at_ = 0;
    std::size_t line_start_ = 0;  // where the line of at_ begins
    int line_ = 1;
    std::size_t widest_ = 0;  // the most fields of a line without quotes so far
    bool started_ = false;    // a byte-order mark was looked for
    bool done_ = false;
};

// The cells of a record as texts.
CsvRecord csv_record(const std::vector<CsvField>& fields, int line);

// Splits `text` into records; blank lines are skipped. False with a
// diagnostic when a quoted field is not closed or a quote is misplaced.
bool parse_csv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records, Diagnostics& diags);

}  // namespace tx14::cli
