// Conversion between the library's single-byte Windows-1252 text and UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tx14::text {

// How byte 0xF8 reads: the report texts use it for the theta of "(E\xF8)*",
// labels and names written by people mean the letter o with a stroke.
enum class F8 { theta, o_stroke };

// Windows-1252 bytes as UTF-8. Bytes the code page leaves undefined and
// control characters other than tab become U+FFFD, so that no byte of a
// report can reach a terminal as a control sequence.
std::string to_utf8(std::string_view cp1252, F8 f8 = F8::o_stroke);

// UTF-8 text as Windows-1252 bytes, or nullopt with `problem` set when the
// text is not valid UTF-8, holds a control character or a character the
// code page lacks.
std::optional<std::string> to_cp1252(std::string_view utf8, std::string& problem);

}  // namespace tx14::text

// The command-line front end reads and writes these names unqualified.
namespace tx14::cli {
using text::F8;
using text::to_cp1252;
using text::to_utf8;
}  // namespace tx14::cli
