// The calculation sheet of one item run through the library's typed entry:
// the document filled from its outcome (the item as it ran, its results
// record and report) and a sweep of its thickness. The front end (tx14, the
// WebAssembly module) makes the runs; nothing here reads or writes anything.
#pragma once

#include <functional>
#include <string>

#include "item_figures.hpp"
#include "sheet.hpp"
#include "txappendix14_items.hpp"

namespace tx14::sheet {

// What identifies the run on the sheet.
struct Source {
    std::string name;    // the input file, or the batch file and row
    std::string sha256;  // of the input's bytes, hex
    std::string date_time;
    std::string library_version;
    Paper paper = Paper::a4;
};

// The sheet of an item that ran (outcome.ran()).
Document document_of(const Outcome& outcome, const Rerun& rerun, const Source& source);

}  // namespace tx14::sheet
