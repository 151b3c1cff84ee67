// The report and the results as a person or a program reads them: terminal
// text (UTF-8, ANSI attributes), JSON, and the rows of a batch output.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis.hpp"

namespace tx14::cli {

// The report as UTF-8 lines; with `ansi` each styled line carries the
// terminal attributes of its style codes.
std::string terminal_text(const std::vector<ReportLine>& lines, bool ansi);

// Kind, code, units, item, fatal errors, the named results in the item's
// units with their unit labels, and the report lines with their styles.
nlohmann::ordered_json json_of(const Item& item, const Outcome& outcome);

// JSON as text, `indent` as nlohmann's dump takes it; a string that is not
// valid UTF-8 (which no JSON may hold) shows U+FFFD where it is not.
std::string json_text(const nlohmann::ordered_json& j, int indent);

// A text key of the item as UTF-8, trailing blanks cut.
std::string text_field(const Item& item, std::string_view key);

// A result in the item's units; none when it was not computed or is not
// finite.
std::optional<float> shown_result(const Item& item, std::size_t index, const Outcome& outcome);

// A result in the item's units, written in the fewest digits that give
// back its single-precision value; empty when there is none.
std::string result_text(const Item& item, std::size_t index, const Outcome& outcome);

}  // namespace tx14::cli
