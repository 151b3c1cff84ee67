// Comma-separated values in and out.
#include "csv.hpp"

namespace tx14::cli {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view s)
{
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits with an optional sign, decimal point and exponent.
bool is_plain_number(std::string_view s)
{
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < s.size() && is_digit(s[i]))
            ++i;
        return i - start;
    };
    auto sign = [&] {
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
    };
    sign();
    std::size_t n = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        n += digits();
    }
    if (n > 0 && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        sign();
        n = digits();
    }
    return n > 0 && i == s.size();
}

// A spreadsheet takes a cell beginning so for a formula.
bool is_formula_like(std::string_view s)
{
    return !s.empty() && std::string_view("=+-@\t\r").find(s.front()) != std::string_view::npos &&
           !is_plain_number(s);
}

}  // namespace

std::string_view cell_text(std::string_view raw, std::string& scratch)
{
    std::size_t first = 0;
    while (first < raw.size() && is_blank(raw[first]))
        ++first;
    if (first == raw.size() || raw[first] != '"')
        return trim_blanks(raw);
    ++first;
    const std::size_t close = raw.find('"', first);
    if (close == std::string_view::npos)
        return raw.substr(first);
    if (close + 1 == raw.size() || raw[close + 1] != '"')
        return raw.substr(first, close - first);
    scratch.clear();
    for (std::size_t i = first; i < raw.size(); ++i) {
        if (raw[i] == '"' && (i + 1 == raw.size() || raw[++i] != '"'))
            break;  // the closing quote; "" stands for "
        scratch += raw[i];
    }
    return scratch;
}

CsvScanner::Step CsvScanner::next(std::string_view text, bool last, std::vector<CsvField>& fields, int& line,
                                  const std::string& file, Diagnostics& diags)
{
    if (!started_) {
        if (text.size() - at_ < 3 && !last)
            return Step::more;
        started_ = true;
        if (text.substr(at_, 3) == "\xEF\xBB\xBF")
            line_start_ = at_ += 3;  // a byte-order mark some spreadsheets write
    }
    std::string scratch;
    while (!done_) {
        const std::size_t start = at_, start_of_line = line_start_;
        const int start_line = line_;
        fields.clear();
        Ends ends;
        while ((ends = field(text, last, fields, file, diags)) == Ends::comma) {
        }
        if (ends == Ends::failed) {
            done_ = true;
            return Step::failed;
        }
        if (ends == Ends::more) {
            at_ = start;
            line_start_ = start_of_line;
            line_ = start_line;
            return Step::more;
        }
        if (at_ >= text.size()) {
            done_ = true;
        } else {
            line_start_ = ++at_;  // past the newline
            ++line_;
        }
        if (fields.size() == 1 && cell_text(fields[0].raw, scratch).empty())
            continue;  // a blank line
        line = start_line;
        return Step::record;
    }
    return Step::end;
}

// One field from at_, and the comma or line end after it.
CsvScanner::Ends CsvScanner::field(std::string_view text, bool last, std::vector<CsvField>& fields,
                                   const std::string& file, Diagnostics& diags)
{
    const std::size_t start = at_;
    CsvField f{{}, line_, static_cast<int>(start - line_start_) + 1};
    std::size_t i = start;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    const bool quoted = i < text.size() && text[i] == '"';
    if (quoted) {
        for (++i;;) {
            if (i >= text.size()) {
                if (!last)
                    return Ends::more;
                diags.push_back({{file, f.line, f.column}, "quoted field is not closed"});
                return Ends::failed;
            }
            const char c = text[i++];
            if (c == '"') {
                if (i >= text.size() && !last)
                    return Ends::more;  // perhaps the first of ""
                if (i >= text.size() || text[i] != '"')
                    break;
                ++i;
            } else if (c == '\n') {
                ++line_;
                line_start_ = i;
            }
        }
        while (i < text.size() && is_blank(text[i]))
            ++i;
    }
    std::size_t end = i;
    while (end < text.size() && text[end] != ',' && text[end] != '\n')
        ++end;
    if (end == text.size() && !last)
        return Ends::more;
    std::size_t stop = end;
    if (stop > i && text[stop - 1] == '\r')
        --stop;
    if (quoted && stop > i) {
        diags.push_back({{file, line_, static_cast<int>(i - line_start_) + 1}, "unexpected text after a quoted field"});
        return Ends::failed;
    }
    f.raw = text.substr(start, stop - start);
    fields.push_back(f);
    at_ = end;
    if (end < text.size() && text[end] == ',') {
        ++at_;
        return Ends::comma;
    }
    return Ends::line;
}

CsvRecord csv_record(const std::vector<CsvField>& fields, int line)
{
    CsvRecord record{{}, line};
    std::string scratch;
    for (const CsvField& f : fields)
        record.cells.push_back({std::string(cell_text(f.raw, scratch)), f.line, f.column});
    return record;
}

bool parse_csv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records,
               Diagnostics& diags)
{
    CsvScanner scanner;
    std::vector<CsvField> fields;
    int line = 0;
    CsvScanner::Step step;
    while ((step = scanner.next(text, true, fields, line, file, diags)) == CsvScanner::Step::record)
        records.push_back(csv_record(fields, line));
    return step != CsvScanner::Step::failed;
}

void append_csv_field(std::string& out, std::string_view cell)
{
    const bool guard = is_formula_like(cell);
    const bool quote = cell.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!cell.empty() && ((!guard && is_blank(cell.front())) || is_blank(cell.back())));
    if (quote)
        out += '"';
    if (guard)
        out += '\'';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quote)
        out += '"';
}

std::string csv_field(std::string_view cell)
{
    std::string s;
    append_csv_field(s, cell);
    return s;
}

}  // namespace tx14::cli
