// Comma-separated values in: records and cells (cells out: escape.hpp).
#include "csv.hpp"

#include <algorithm>

namespace tx14::cli {
namespace {

std::string_view trim_blanks(std::string_view s)
{
    while (!s.empty() && is_blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool is_blank_field(std::string_view raw)
{
    std::string scratch;
    return cell_text(raw, scratch).empty();
}

}  // namespace

std::string_view unquoted_cell(std::string_view raw, std::string& scratch)
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

bool CsvScanner::start(std::string_view text, bool last)
{
    if (!started_) {
        if (text.size() - at_ < 3 && !last)
            return false;
        started_ = true;
        if (text.substr(at_, 3) == "\xEF\xBB\xBF")
            line_start_ = at_ += 3;  // a byte-order mark some spreadsheets write
    }
    return true;
}

CsvScanner::Step CsvScanner::next(std::string_view text, bool last, std::vector<CsvField>& fields, int& line,
                                  const std::string& file, Diagnostics& diags)
{
    if (!start(text, last))
        return Step::more;
    while (!done_) {
        const int start_line = line_;
        const Step step = record(text, last, fields, file, diags);
        if (step != Step::record)
            return step;
        if (fields.size() == 1 && is_blank_field(fields[0].raw))
            continue;
        line = start_line;
        return Step::record;
    }
    return Step::end;
}

CsvScanner::Step CsvScanner::skip(std::string_view text, bool last, std::vector<CsvField>& fields,
                                  const std::string& file, Diagnostics& diags)
{
    if (!start(text, last))
        return Step::more;
    while (!done_) {
        // A line without quotes is one record, blank when it holds blanks only.
        const std::size_t newline = text.find('\n', at_);
        if (newline != std::string_view::npos || last) {
            const std::size_t end = std::min(newline, text.size());
            std::string_view line = text.substr(at_, end - at_);
            if (line.find('"') == std::string_view::npos) {
                done_ = end == text.size();
                at_ = line_start_ = end + (done_ ? 0 : 1);
                line_ += done_ ? 0 : 1;
                if (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
                if (line.find_first_not_of(" \t") != std::string_view::npos)
                    return Step::record;
                continue;
            }
        }
        const Step step = record(text, last, fields, file, diags);
        if (step != Step::record)
            return step;
        if (fields.size() != 1 || !is_blank_field(fields[0].raw))
            return Step::record;
    }
    return Step::end;
}

// The fields of one record from at_, taken only when the whole record is
// in the text.
CsvScanner::Step CsvScanner::record(std::string_view text, bool last, std::vector<CsvField>& fields,
                                    const std::string& file, Diagnostics& diags)
{
    const char* const p = text.data();
    const std::size_t n = text.size();
    std::size_t i = at_, line_start = line_start_;
    int line = line_;
    const std::size_t found = text.find('\n', i);
    const bool newline = found != std::string_view::npos;
    const std::size_t line_end = newline ? found : n;
    if ((newline || last) && text.substr(i, line_end - i).find('"') == std::string_view::npos) {
        // A line without quotes: its fields lie between its commas, found in
        // one pass, over the fields of the record before where there are.
        if (fields.size() < widest_)
            fields.resize(widest_);  // a new vector mostly (a reader's first rows): one allocation
        CsvField* out = fields.data();
        std::size_t room = fields.size(), count = 0;
        for (std::size_t start = i;; ++i) {
            if (i < line_end && p[i] != ',')
                continue;
            const std::size_t stop = i > start && p[i - 1] == '\r' ? i - 1 : i;
            const CsvField f{std::string_view(p + start, stop - start), line, static_cast<int>(start - line_start) + 1};
            if (count < room) {
                out[count] = f;
            } else {
                fields.push_back(f);
                out = fields.data();
                room = fields.size();
            }
            ++count;
            if (i == line_end)
                break;
            start = i + 1;
        }
        fields.resize(count);
        widest_ = std::max(widest_, count);
        done_ = !newline;
        at_ = line_start_ = newline ? line_end + 1 : n;
        line_ = line + (newline ? 1 : 0);
        return Step::record;
    }
    fields.clear();
    while (true) {
        const std::size_t start = i;
        const CsvField f{{}, line, static_cast<int>(start - line_start) + 1};
        while (i < n && is_blank(p[i]))
            ++i;
        const bool quoted = i < n && p[i] == '"';
        if (quoted) {
            for (++i;;) {
                if (i >= n) {
                    if (!last)
                        return Step::more;
                    diags.push_back({{file, f.line, f.column}, "quoted field is not closed"});
                    done_ = true;
                    return Step::failed;
                }
                const char c = p[i++];
                if (c == '"') {
                    if (i >= n && !last)
                        return Step::more;  // perhaps the first of ""
                    if (i >= n || p[i] != '"')
                        break;
                    ++i;
                } else if (c == '\n') {
                    ++line;
                    line_start = i;
                }
            }
            while (i < n && is_blank(p[i]))
                ++i;
        }
        std::size_t end = i;
        while (end < n && p[end] != ',' && p[end] != '\n')
            ++end;
        if (end == n && !last)
            return Step::more;
        std::size_t stop = end;
        if (stop > i && p[stop - 1] == '\r')
            --stop;
        if (quoted && stop > i) {
            diags.push_back(
                {{file, line, static_cast<int>(i - line_start) + 1}, "unexpected text after a quoted field"});
            done_ = true;
            return Step::failed;
        }
        fields.push_back({text.substr(start, stop - start), f.line, f.column});
        i = end + 1;
        if (end == n || p[end] == '\n')
            break;
    }
    if (i > n) {
        done_ = true;
        i = n;
    } else {
        line_start = i;  // past the newline
        ++line;
    }
    at_ = i;
    line_start_ = line_start;
    line_ = line;
    return Step::record;
}

CsvRecord csv_record(const std::vector<CsvField>& fields, int line)
{
    CsvRecord record{{}, line};
    std::string scratch;
    for (const CsvField& f : fields)
        record.cells.push_back({std::string(cell_text(f.raw, scratch)), f.line, f.column});
    return record;
}

bool parse_csv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records, Diagnostics& diags)
{
    CsvScanner scanner;
    std::vector<CsvField> fields;
    int line = 0;
    CsvScanner::Step step;
    while ((step = scanner.next(text, true, fields, line, file, diags)) == CsvScanner::Step::record)
        records.push_back(csv_record(fields, line));
    return step != CsvScanner::Step::failed;
}

}  // namespace tx14::cli
