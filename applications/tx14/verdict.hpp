// The verdict of an item as the front end prints and exits with it.
#pragma once

#include <string>

#include "txappendix14.hpp"

namespace tx14::cli {

// Exit codes of the program, in the order they take precedence over one
// another when several items run: failure over input-file error over not
// analysed over not acceptable over acceptable.
inline constexpr int kExitAcceptable = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitInputError = 2;
inline constexpr int kExitNotAnalysed = 3;
inline constexpr int kExitNotAcceptable = 4;
int exit_code(const Outcome& o);  // of an item that ran
int worse_exit(int a, int b);

// "VERDICT: ..." and one line per failing check (the governing first) or
// per reason, then one "note:" line per note; `plain` writes ASCII only,
// `ansi` adds terminal attributes.
std::string verdict_block(const Outcome& o, bool plain, bool ansi);

}  // namespace tx14::cli
