// Text leaving the program, escaped for where it goes: HTML, SVG, CSS
// strings, JSON strings, CSV cells and the terminal. Each function takes
// bytes meant as UTF-8 (a byte that begins no valid sequence, such as a
// Windows-1252 letter in a file name, shows as U+FFFD), writes the
// characters safe in its target as they are and every other character as
// the target's hex escape, so that the target reads back exactly the
// characters given. A character the target cannot hold at all is written
// as U+FFFD; each function says which.
#pragma once

#include <string>
#include <string_view>

namespace tx14::text {

// HTML text, or an attribute value in quotes of either kind: &#xHH; for the
// control characters and & < > " ' ` \. NUL and the C1 controls, whose
// references HTML reads as other characters, are U+FFFD.
std::string html(std::string_view s);

// SVG (XML) text or attribute value: as html(), but the control characters
// XML does not allow even escaped (C0 but tab, LF and CR; U+FFFE, U+FFFF)
// are U+FFFD.
std::string svg(std::string_view s);

// A CSS string with its double quotes: a backslash, the code in hex and a
// blank (which ends the escape) for the control characters (CSS takes form
// feed, CR and LF for line breaks, which end a string) and " ' \ < > &.
// NUL, which CSS reads as U+FFFD, is U+FFFD.
std::string css_string(std::string_view s);

// A JSON string with its double quotes: \u00HH for the control characters,
// " \ < > &, and \u2028, \u2029 (line breaks to JavaScript). It is a TOML
// basic string as well.
std::string json_string(std::string_view s);

// A CSV cell: in double quotes (a quote inside doubled) when it holds a
// comma, a quote, CR or LF, or begins or ends with a blank; a text a
// spreadsheet would run as a formula (beginning with =, +, -, @, a tab or
// CR, unless a plain number) gets a leading '. CSV has no escapes: control
// characters other than tab, CR and LF are U+FFFD.
void append_csv_cell(std::string& out, std::string_view s);
std::string csv_cell(std::string_view s);

// A line of text for a terminal: \xHH for C0 controls and DEL, \u{HHHH}
// for C1 controls and the characters that break lines or reorder text
// (U+2028, U+2029, the bidirectional marks, embeddings, overrides and
// isolates), \\ for a backslash.
std::string terminal(std::string_view s);

}  // namespace tx14::text
