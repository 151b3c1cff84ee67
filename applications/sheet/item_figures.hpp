// The figures of an item: the sketch of the component with its dimensions
// as the report writes them, the sweep of its thickness, and the sketch of
// an item still being entered (the page's guide to the inputs).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet.hpp"
#include "txappendix14_items.hpp"

namespace tx14::sheet {

// Runs the item again with one value changed (the thickness sweep).
using Rerun = std::function<Outcome(const Change& change)>;

// A jacket whose code calls its half pipe a limpet coil (PD 5500, EN 13445).
bool is_coil(const KindKeys& keys, const CodeName* code);
bool is_coil(const Outcome& o);
// The value a run recorded under `key`; null when none.
const RecordedValue* recorded(const ResultsRecord& rec, std::string_view key);

// The number of decimals the report writes a value with: of the number
// after `needle` on an input line ("ts", "Cylinder Inside Diameter"), or,
// for a needle "[Trj]", of the result line of that block. Nullopt when the
// report has no such line.
std::optional<int> report_decimals(const std::vector<std::string_view>& report, std::string_view needle);

// A value with a number of decimals, or in 5 significant digits without.
std::string fixed(double v, std::optional<int> decimals);

Sketch sketch_of(const Outcome& o);
Plot plot_of(const Outcome& o, const Rerun& rerun);

// The sketch of an item as given so far (any keys, any values): its kind's
// component drawn with the given dimensions where they are numbers above
// 0, and a usual one's proportions for the others, labelled with their
// symbols alone; `focus` (a key) highlighted.
Sketch sketch_of_item(const Item& item, std::string_view focus);

}  // namespace tx14::sheet
