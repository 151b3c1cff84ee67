// One item as tx14 reads it, from an item file or a row of a batch file:
// the library's item (its entries in the order read, its unit file's
// contents) and where each entry stands, for the messages about it.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "diagnostics.hpp"
#include "txappendix14.hpp"
#include "unit_system.hpp"

namespace tx14::cli {

// A value of another type than number or text: only its type's name.
struct OtherType {
    std::string_view name;  // "an array", "true or false", ...
};

// One `key = value` as read from a file; key and text stay where they were
// read while the item is built.
struct Entry {
    std::string_view key;
    int line = 0;  // in the file, where the value's key or cell begins
    int column = 0;
    std::variant<OtherType, double, std::string_view> value;
    bool untyped = false;  // a cell of a batch file: text read as the key expects
};

struct SourceItem {
    std::string source;           // the file, or file and row, for messages about the item as a whole
    tx14::Item item;              // for the library's entry
    std::vector<Position> where;  // of each of item.entries
    std::string input_sha256;     // of the bytes of its file (batch: of the CSV file)
    // where[0, in_file) name the file build_item was last given (a batch's
    // rows: one comparison of the file per row, not one per entry).
    std::size_t in_file = 0;

    // Where a finding about a key points: its entry (NPS given as DN), or
    // the item as a whole.
    Position position_of(std::string_view key) const;
};

// The entries of `file` as an item; `source` names the item in messages
// about it as a whole. The unit file `units` names is read (once per
// catalog) relative to `base_dir`; nullopt, with a diagnostic, when it
// cannot be.
std::optional<SourceItem> build_item(std::span<const Entry> entries, const std::string& file, const std::string& source,
                                     const std::filesystem::path& base_dir, UnitCatalog& units, Diagnostics& diags);

// The same into `s`, whose source the caller names, kept from item to item
// (a batch's rows): its entries and strings keep their memory. False when
// the unit file cannot be read.
bool build_item(SourceItem& s, std::span<const Entry> entries, const std::string& file,
                const std::filesystem::path& base_dir, UnitCatalog& units, Diagnostics& diags);

// Reads an item file (TOML).
std::optional<SourceItem> read_item_file(const std::filesystem::path& file, UnitCatalog& units, Diagnostics& diags);

// Runs the item on the context. An item the entry refuses adds one
// diagnostic per finding, at its key's entry; its warnings are the
// outcome's, placed with position_of(). The first form fills an outcome
// kept from item to item (a batch's), the second makes one.
void analyse(tx14::Context& ctx, const SourceItem& item, const tx14::Options& options, Diagnostics& diags,
             tx14::Outcome& outcome);
tx14::Outcome analyse(tx14::Context& ctx, const SourceItem& item, const tx14::Options& options, Diagnostics& diags);

}  // namespace tx14::cli
