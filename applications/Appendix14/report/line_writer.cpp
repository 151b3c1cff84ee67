// The line writer, the blank-line writer, the line style setter and the
// closing lines.
#include <cstring>

#include "number_fields.hpp"
#include "report.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {
namespace {

static_assert(ReportLines::kRecordWidth == kCaptureRecordWidth);

constexpr int kStyleColumn = 109;  // six 2-column codes in columns 109-120

// The six style codes as right-justified 2-column integers ("**" when a
// code does not fit) into columns 109-120 of a record.
void put_styles(char* record, const LineStyles& styles)
{
    char* code = record + kStyleColumn - 1;
    for (std::int32_t s : styles) {
        if (static_cast<std::uint32_t>(s) <= 9u) {  // every code the reports use
            code[0] = ' ';
            code[1] = static_cast<char>('0' + s);
        } else {
            field::integer(Field(code, 2), s);
        }
        code += 2;
    }
}

// Whether every style code is a single digit 0-7 (the reports use 0-2).
bool small_styles(const LineStyles& s)
{
    const auto u = [&](int k) { return static_cast<std::uint32_t>(s[static_cast<std::size_t>(k)]); };
    return (u(0) | u(1) | u(2) | u(3) | u(4) | u(5)) < 8u;
}

// Columns 105-125 of a record: four blanks, the six codes " 0" (the digits
// are filled in), the terminating zero at column 121 and four blanks.
constexpr char kRecordTail[] = "     0 0 0 0 0 0\0    ";
static_assert(sizeof kRecordTail == kCaptureRecordWidth - 4 - kLineWidth + 1);

// Past the room of the records: a store grows (the typed entry keeps every
// line); the host's 501st line on overwrites record 500. Rare, so out of
// line.
[[gnu::noinline]] char* record_past_room(Report& r)
{
    if (r.store == nullptr)
        return r.capture.records[kCaptureRecords - 1];
    const std::size_t n = static_cast<std::size_t>(r.record_capacity) * 2;
    r.records = reinterpret_cast<char(*)[kCaptureRecordWidth]>(r.store->room_for(n));
    r.record_capacity = static_cast<std::int32_t>(n);
    return r.records[r.capture.count++];
}

// The record the next captured line goes to.
char* next_record(Report& r)
{
    if (r.capture.count < r.record_capacity)
        return r.records[r.capture.count++];
    return record_past_room(r);
}

// Codes other than 0-7 are rare: they go the long way, kept out of line so
// that the usual record is finished without a call.
[[gnu::noinline]] void put_other_styles(char* rec, const LineStyles& styles) { put_styles(rec, styles); }

// Whether no style code is set, as on most lines.
bool no_styles(const LineStyles& s)
{
    std::uint64_t codes[3];  // the six codes, two at a time
    static_assert(sizeof codes == sizeof s);
    std::memcpy(codes, s.data(), sizeof codes);
    return (codes[0] | codes[1] | codes[2]) == 0;
}

// Columns 105-125 of a record, the styles included.
void finish_record(char* rec, const LineStyles& s)
{
    std::memcpy(rec + 4 + kLineWidth, kRecordTail, kCaptureRecordWidth - 4 - kLineWidth);
    if (no_styles(s))
        return;  // the tail has them
    if (!small_styles(s))
        return put_other_styles(rec, s);
    char* digit = rec + kStyleColumn;  // the "0" of each code, written out for speed
    digit[0] = static_cast<char>('0' + s[0]);
    digit[2] = static_cast<char>('0' + s[1]);
    digit[4] = static_cast<char>('0' + s[2]);
    digit[6] = static_cast<char>('0' + s[3]);
    digit[8] = static_cast<char>('0' + s[4]);
    digit[10] = static_cast<char>('0' + s[5]);
}

// Captures the first n (at most 100) characters of a line.
void capture_line(Report& r, const char* text, int n)
{
    char* rec = next_record(r);
    std::memset(rec, ' ', 4);
    std::memcpy(rec + 4, text, static_cast<std::size_t>(n));
    std::memset(rec + 4 + n, ' ', static_cast<std::size_t>(kLineWidth - n));
    finish_record(rec, r.styles);
}

// A record of the report file, built in the file's buffer: a blank, the
// line, and the style codes when any is set.
void write_file_record(Report& r, const char* text, int n)
{
    constexpr std::size_t kStyledRecord = kStyleColumn - 1 + 12;
    char* rec = r.file.record_room(kStyledRecord);
    if (rec == nullptr)
        return;
    rec[0] = ' ';
    std::memcpy(rec + 1, text, static_cast<std::size_t>(n));
    std::size_t length = static_cast<std::size_t>(n) + 1;
    const LineStyles& s = r.styles;
    if (static_cast<long long>(s[0]) + s[1] + s[2] + s[3] + s[4] + s[5] != 0) {
        std::memset(rec + length, ' ', kStyledRecord - length);
        put_styles(rec, s);
        length = kStyledRecord;
    }
    r.file.add_record(length);
}

bool captures(const Report& r) { return r.unit < 0; }
bool writes_file(const Report& r) { return r.unit > 0; }

// What writing a line leaves behind when the line goes nowhere.
void discard_line(Report& r, Field text)
{
    blank(text);
    r.styles = {};
}

// Any line to any destination, with the special characters converted
// when asked. Kept out of line, so that the usual line below is written
// without saving registers and setting up a frame.
[[gnu::noinline]] void write_any_line(Report& r, Field text)
{
    if (!captures(r) && !writes_file(r))
        return discard_line(r, text);  // blanked unconverted: the same result
    int n = static_cast<int>(std::min<std::size_t>(text.size(), kLineWidth));
    if (r.special == 1)
        convert_special_characters(text);
    if (captures(r))
        capture_line(r, text.data(), n);
    else
        write_file_record(r, text.data(), n);
    blank(text);
    r.styles = {};
}

}  // namespace

void Report::reset()
{
    unit = -1;
    special = 0;
    styles = {};
    capture.count = 0;
    blank(line);
    blank(work);
    file.forget_error();
}

void Report::capture_into(ReportLines* lines)
{
    store = lines;
    // A store has room for the longest report but the rare one; it grows past that.
    record_capacity = kCaptureRecords;
    records = lines == nullptr ? capture.records
                               : reinterpret_cast<char(*)[kCaptureRecordWidth]>(lines->room_for(kCaptureRecords));
}

void write_line(Report& r, Field text)
{
    if (captures(r) && r.special != 1 && text.size() == kLineWidth) {
        // The usual line, the line buffer captured as it stands: copies of
        // a known length.
        char* rec = next_record(r);
        std::memset(rec, ' ', 4);
        std::memcpy(rec + 4, text.data(), kLineWidth);
        finish_record(rec, r.styles);
        std::memset(text.data(), ' ', kLineWidth);
        r.styles = {};
        return;
    }
    write_any_line(r, text);
}

void write_blank_line(Report& r)
{
    blank(r.line);  // the line buffer's known width: no call
    if (captures(r)) {
        // A record of blanks and the styles: nothing to copy or convert.
        char* rec = next_record(r);
        std::memset(rec, ' ', 4 + kLineWidth);
        finish_record(rec, r.styles);
        r.styles = {};
    } else if (writes_file(r)) {
        write_line(r);
    } else {
        r.styles = {};  // the buffer is blank already
    }
}

void set_line_styles(Report& r, const LineStyles& styles)
{
    r.styles = styles;
    r.special = *r.no_special_flag;
}

void write_text(Report& r, std::string_view text)
{
    if (!captures(r) && !writes_file(r))
        return discard_line(r, r.line);
    assign(r.line, text);
    write_line(r);
}

void write_text(Report& r, const LineStyles& styles, std::string_view text)
{
    set_line_styles(r, styles);
    if (!captures(r) && !writes_file(r))
        return discard_line(r, r.line);  // no need to put the text in first
    assign(r.line, text);
    write_line(r);
}

void write_closing_lines(Report& r)
{
    write_blank_line(r);
    // \xA9 is the copyright sign of the Windows-1252 code page.
    assign(r.line, "TXAppendix14 Calculation Library, Copyright \xA9 2026");
    set_line_styles(r, style::kNotice);
    write_line(r);
}

}  // namespace tx14
