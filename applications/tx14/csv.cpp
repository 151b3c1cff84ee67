// Comma-separated values in and out.
#include "csv.hpp"

namespace tx14::cli {
namespace {

std::string_view trim_blanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool is_blank_record(const CsvRecord& r) { return r.cells.size() == 1 && r.cells[0].text.empty(); }

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

bool parse_csv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records,
               Diagnostics& diags)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);  // a byte-order mark some spreadsheets write
    int line = 1, column = 1;
    std::size_t i = 0;
    CsvRecord record{{}, 1};
    while (true) {
        CsvCell cell{{}, line, column};
        bool quoted = false;
        std::size_t start = i;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i < text.size() && text[i] == '"') {
            quoted = true;
            column += static_cast<int>(i - start) + 1;
            ++i;
            while (true) {
                if (i >= text.size()) {
                    diags.push_back({{file, cell.line, cell.column}, "quoted field is not closed"});
                    return false;
                }
                char c = text[i++];
                if (c == '"' && i < text.size() && text[i] == '"') {
                    cell.text += '"';
                    ++i;
                    column += 2;
                } else if (c == '"') {
                    ++column;
                    break;
                } else {
                    cell.text += c;
                    if (c == '\n') {
                        ++line;
                        column = 1;
                    } else {
                        ++column;
                    }
                }
            }
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
                ++i;
                ++column;
            }
        } else {
            i = start;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] != ',' && text[end] != '\n')
            ++end;
        std::string_view rest = text.substr(i, end - i);
        if (!rest.empty() && rest.back() == '\r')
            rest.remove_suffix(1);
        if (quoted && !rest.empty()) {
            diags.push_back({{file, line, column}, "unexpected text after a quoted field"});
            return false;
        }
        if (!quoted)
            cell.text = std::string(trim_blanks(rest));
        column += static_cast<int>(end - i);
        i = end;
        record.cells.push_back(std::move(cell));
        if (i < text.size() && text[i] == ',') {
            ++i;
            ++column;
            continue;
        }
        if (!is_blank_record(record))
            records.push_back(std::move(record));
        if (i >= text.size())
            return true;
        ++i;  // the newline
        ++line;
        column = 1;
        record = CsvRecord{{}, line};
    }
}

std::string csv_field(std::string_view cell)
{
    const std::string guarded = is_formula_like(cell) ? "'" + std::string(cell) : std::string(cell);
    const std::string_view text = guarded;
    if (text.find_first_of(",\"\r\n") == std::string_view::npos && trim_blanks(text) == text)
        return std::string(text);
    std::string s = "\"";
    for (char c : text) {
        if (c == '"')
            s += '"';
        s += c;
    }
    return s + "\"";
}

}  // namespace tx14::cli
