// One item ready for the library: its kind, code and unit system, and the
// real array and text fields built from the keys of an item file or a row
// of a batch file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "diagnostics.hpp"
#include "items.hpp"
#include "unit_system.hpp"

namespace tx14::cli {

using items::Kind;
using items::KindKeys;
using items::kRealCount;
using items::kReportUnitElement;
using items::kTextFields;
using items::kTextWidth;
using items::NumberKey;
using items::ResultKey;
using items::TextKey;

struct Item {
    std::string source;  // the file, or file and row, for messages
    Kind kind = Kind::opening;
    std::string code;  // as written: "VIII-1", "PD5500", ...
    std::shared_ptr<const UnitSystem> units;
    std::optional<std::int64_t> number;     // `item`
    std::array<float, kRealCount> reals{};  // internal units; missing-value marks
    std::array<char, kTextFields * kTextWidth> texts{};
    Diagnostics warnings;      // the item runs, but look again
    std::string input_sha256;  // of the bytes of its file (batch: of the CSV file)

    float& element(int n) { return reals[static_cast<std::size_t>(n - 1)]; }
    float element(int n) const { return reals[static_cast<std::size_t>(n - 1)]; }
    const KindKeys& keys() const { return items::keys_of(kind); }
};

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
    std::variant<OtherType, std::int64_t, double, std::string_view> value;
    bool untyped = false;  // a cell of a batch file: text read as the key expects
};

// Builds an item from the entries of `file`; `source` names the item in
// messages about it as a whole. Nullopt, with one diagnostic per fault,
// when any entry is wrong; every entry is checked.
std::optional<Item> build_item(std::span<const Entry> entries, const std::string& file, const std::string& source,
                               const std::filesystem::path& base_dir, UnitCatalog& units, Diagnostics& diags);

// Reads an item file (TOML).
std::optional<Item> read_item_file(const std::filesystem::path& file, UnitCatalog& units, Diagnostics& diags);

}  // namespace tx14::cli
