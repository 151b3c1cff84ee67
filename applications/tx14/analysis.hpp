// Running an item through the library's context API: the report lines with
// their style codes, the fatal error count and the results.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "item.hpp"
#include "txappendix14.hpp"
#include "verdict.hpp"

namespace tx14::cli {

using Styles = std::array<int, 6>;

struct ReportLine {
    std::string text;  // Windows-1252, trailing blanks cut
    Styles styles{};
};

struct Outcome {
    int fatal_errors = 0;
    std::array<std::optional<float>, 3> results;  // internal units; empty when not computed
    std::vector<ReportLine> lines;
    Record record;  // values, checks, verdict
};

// Runs the item on the context in capture mode and collects what it gave.
// When the capture block is full (the library keeps 500 lines), the item
// is run again into a temporary report file, so that no line is lost.
// Without lines, only the results, the verdict and the governing check
// (the record's only check then) are read.
Outcome analyse(Context& ctx, const Item& item, bool with_lines = true);

// Runs the item once more in the library's file mode: its report is
// appended to `file`, exactly as a host would get it.
void append_report(Context& ctx, const Item& item, const std::string& file);

// A report file name the library takes as it is (at most 255 bytes, no
// blank at either end, no NUL); otherwise the reason it does not.
std::optional<std::string> unusable_report_name(std::string_view file);

// A record of a report file, or of a capture block without its first four
// columns, as a report line.
ReportLine parse_file_record(std::string_view record);
ReportLine parse_capture_record(std::string_view record);

}  // namespace tx14::cli
