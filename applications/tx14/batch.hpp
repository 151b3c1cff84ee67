// Batch runs: every row of a CSV file analysed on all cores, one library
// context per thread, results written in the order of the rows.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>

namespace tx14::cli {

struct BatchOptions {
    std::filesystem::path items;                      // the CSV file
    std::optional<std::filesystem::path> reports;     // one report file per row
    unsigned jobs = 0;                                // 0: one per core
    bool plain = false;                               // special characters as plain text
    bool progress = false;                            // a progress bar may be drawn
    std::optional<std::filesystem::path> sheets;      // one calculation sheet per row, index.html
    bool letter = false;                              // sheets on Letter paper, else A4
    std::optional<std::filesystem::path> sheet_info;  // sheet texts of every row a row's cell does not give
};

// Runs the batch; results go to `out` as CSV, messages and the progress
// bar to `err`. Returns the exit code: 0 all analysed, 3 an item had fatal
// input errors, 2 the file, the sheet-info file or a row was wrong (the
// other rows still ran), 1 a report or a sheet could not be written.
int run_batch(const BatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tx14::cli
