// The report and the results as a person or a program reads them: terminal
// text (UTF-8, ANSI attributes), JSON, and the result values of a batch.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "txappendix14.hpp"

namespace tx14::cli {

// The report as UTF-8 lines; with `ansi` each styled line carries the
// terminal attributes of its style codes.
std::string terminal_text(const ReportLines& lines, bool ansi);

// The outcome as `tx14 run --json` writes it: the library's JSON with the
// item's file as "input", indented (indent >= 0) or on one line (-1).
std::string json_text(const Outcome& o, std::string_view input, int indent);

// A named result (index of the kind's results) in the item's units; none
// when it was not computed or is not finite.
std::optional<float> shown_result(const Outcome& o, std::size_t index);

}  // namespace tx14::cli
