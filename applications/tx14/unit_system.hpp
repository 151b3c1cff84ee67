// Unit files: reading one into a unit system of the item contract, writing
// a unit system as one, and resolving the `units` of items.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics.hpp"
#include "txappendix14_items.hpp"

namespace tx14::cli {

// The unit system of a unit file: `factors` (22 numbers) and `labels` (23
// texts). Nullopt with diagnostics when the file is unreadable or wrong.
std::optional<UnitSystem> load_unit_file(const std::filesystem::path& file, Diagnostics& diags);

// A unit system written as a unit file (UTF-8 TOML, one comment per slot).
std::string unit_file_text(const UnitSystem& units);

// Resolves the `units` of items: "US", "SI" or a unit file, relative to the
// directory of the item's file. Each unit file is read once.
class UnitCatalog {
public:
    // Reads the named unit file unless it is built in or read already; its
    // messages go to diags. Threads may share the catalog: a batch loads the
    // next rows' files while other threads resolve those of the rows before.
    void load(std::string_view name, const std::filesystem::path& base_dir, Diagnostics& diags);
    std::shared_ptr<const UnitSystem> resolve(std::string_view name, const std::filesystem::path& base_dir,
                                              const Position& where, Diagnostics& diags);

    // A file `refusal` gives a reason for is not read: the items that name
    // it are refused with that reason (a unit file that is also an output).
    using Refusal = std::function<std::optional<std::string>(const std::filesystem::path&)>;
    void refuse_when(Refusal refusal) { refusal_ = std::move(refusal); }

    // The unit files named so far (read or not), in the order first named.
    std::vector<std::filesystem::path> files();

private:
    struct File {
        std::shared_ptr<const UnitSystem> units;  // none: unreadable, wrong or refused
        std::optional<std::string> refused;
    };
    using Files = std::map<std::filesystem::path, File>;
    Files::iterator loaded(std::filesystem::path file, Diagnostics& diags);  // with mutex_ held

    std::mutex mutex_;
    Files files_;
    std::vector<std::filesystem::path> order_;
    Refusal refusal_;
};

}  // namespace tx14::cli
