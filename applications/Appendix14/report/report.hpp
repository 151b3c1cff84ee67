// The report state and the one line writer through which every report line
// passes: report control record, capture block, line and formula buffers,
// line styles, blank squeezer, special-character conversion, closing lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "report_file.hpp"
#include "text.hpp"
#include "txappendix14.h"

namespace tx14 {

class ReportLines;  // txappendix14_items.hpp

inline constexpr int kLineWidth = 100;     // shared line buffer
inline constexpr int kFormulaWidth = 120;  // formula work buffer
inline constexpr int kCaptureRecords = TX14_CAPTURE_RECORDS;
inline constexpr int kCaptureRecordWidth = TX14_CAPTURE_RECORD_WIDTH;

// Memory block the host reads after a run in capture mode (its layout is an
// interface with the host): 500 records of 125 characters, then the count.
struct CaptureBlock {
    char records[kCaptureRecords][kCaptureRecordWidth];
    std::int32_t count;
};
static_assert(offsetof(CaptureBlock, count) == TX14_CAPTURE_COUNT_OFFSET);
static_assert(sizeof(CaptureBlock) == 62504);

// The six style codes that travel with one report line.
using LineStyles = std::array<std::int32_t, 6>;

namespace style {
inline constexpr LineStyles kTitle{1, 0, 0, 0, 0, 1};          // titles, section headings
inline constexpr LineStyles kCaption{0, 0, 0, 0, 0, 1};        // caption of a computed quantity
inline constexpr LineStyles kResultCaption{0, 0, 0, 0, 0, 2};  // caption of a result or factor group
inline constexpr LineStyles kWarning{0, 0, 0, 0, 1, 0};        // warnings, values over their limit
inline constexpr LineStyles kWarningHeadline{0, 0, 1, 0, 1, 0};
inline constexpr LineStyles kNote{0, 0, 0, 1, 0, 2};
inline constexpr LineStyles kNotice{1, 0, 0, 1, 0, 2};  // closing notice
inline constexpr LineStyles kSummaryTitle{1, 1, 0, 0, 0, 1};
}  // namespace style

struct Report {
    Report() = default;
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Report control record.
    std::int32_t unit = -1;    // positive: report file open; -1: capture mode; 0: nowhere
    std::int32_t special = 0;  // 1: special characters become plain text
    LineStyles styles{};

    // Where the special-character switch is copied from at every style
    // change: the host's exported flag, or this report's own.
    const std::int32_t* no_special_flag = &own_no_special;
    std::int32_t own_no_special = 0;

    CaptureBlock capture{};
    ReportFile file;

    // Where captured lines go: the capture block's records, or a store that
    // grows (the typed entry keeps every line). Without a store, the 501st
    // line on overwrites record 500. The count is the capture block's.
    char (*records)[kCaptureRecordWidth] = capture.records;
    std::int32_t record_capacity = kCaptureRecords;
    ReportLines* store = nullptr;

    std::array<char, kLineWidth> line;     // every report line is built here
    std::array<char, kFormulaWidth> work;  // formula lines are filled here

    // Resets the state for a new run: capture mode, buffers blank, no
    // styles, count 0 (the records keep what an earlier run left).
    void reset();
    // Captured lines go to `lines` from the next line on (none: to the
    // capture block).
    void capture_into(ReportLines* lines);
};

// Writes one line (the first 100 characters of `text`) to the report file
// or the capture block, then blanks `text` and the styles. A report with
// no destination (unit 0) discards the line.
void write_line(Report& r, Field text);
inline void write_line(Report& r) { write_line(r, r.line); }

// Blanks the line buffer and writes it: one empty line.
void write_blank_line(Report& r);

// Sets the styles of the next line and refreshes the special-character
// switch from the flag.
void set_line_styles(Report& r, const LineStyles& styles);

// Puts `text` in the line buffer and writes it, with styles when given.
void write_text(Report& r, std::string_view text);
void write_text(Report& r, const LineStyles& styles, std::string_view text);

// Copies `source` into `dest` with runs of blanks shrunk to one blank.
// keep > 2: the first keep-1 characters are copied as they stand and at
// most dest.size()-1 characters are written. keep <= 2: every run, a
// leading one included, shrinks, in the source as well as in the copy.
void squeeze_blanks(Field source, Field dest, int keep);

// Replaces the special characters of a line by plain-text notation in
// place ("d\xB2" becomes "d^(2)", the degree sign a blank, ...).
void convert_special_characters(Field line);

// The two lines that end every report: a blank line and the notice.
void write_closing_lines(Report& r);

}  // namespace tx14
