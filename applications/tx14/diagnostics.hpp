// Messages about input files: where (file, line, column) and what is wrong.
#pragma once

#include <string>
#include <vector>

#include "escape.hpp"
#include "txappendix14_text.hpp"

namespace tx14::cli {

using text::F8;
using text::to_cp1252;
using text::to_utf8;

struct Position {
    std::string file;
    int line = 0;  // 0: the file as a whole
    int column = 0;
};

struct Diagnostic {
    Position where;
    std::string message;
};

using Diagnostics = std::vector<Diagnostic>;

// "file:line:column: message", or "file: message" without a line, as a
// terminal shows it: control characters in names and values written as
// escapes, bytes that are not UTF-8 as U+FFFD.
inline std::string format(const Diagnostic& d)
{
    std::string s = d.where.file;
    if (d.where.line > 0)
        s += ':' + std::to_string(d.where.line) + ':' + std::to_string(d.where.column);
    return text::terminal(s + ": " + d.message);
}

}  // namespace tx14::cli
