// The checks of an item before it runs: from the entries a front end read
// to the kind, code, unit system and internal values of an Outcome, with
// every error and warning keyed to the entry it concerns.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "key_index.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {

class ItemChecks {
public:
    ItemChecks(const Item& item, Outcome& out);
    // Fills the outcome's kind, code, units, item number, values and texts,
    // errors and warnings. The number keys that have a value (bit n: key n).
    std::uint64_t run();

private:
    void error(std::string_view key, std::string message);
    void expected(const Entry& e, std::string_view what);
    std::optional<std::string_view> text_of(const Entry& e);
    std::optional<double> number_of(const Entry& e);
    bool kind_code_and_units();
    void unit_file(std::string_view name);
    void entries();
    void item_number(const Entry& e);
    void number(std::size_t i, const Entry& e);
    void text(std::size_t i, const Entry& e);
    void sheet_text(std::size_t i, const Entry& e);
    void pipe_size();
    void required_keys();
    void input_domain();
    void opening_fits();
    void warnings();
    std::optional<float> given(std::uint8_t i) const;

    const Item& item_;
    Outcome& out_;
    const KindIndex* index_ = nullptr;          // of the item's kind, once known
    std::array<double, kMaxNumberKeys> typed_;  // each given number key's value as given, for messages
    std::uint64_t named_ = 0;                   // bit n: number key n was named, its value taken or refused
    std::uint64_t given_ = 0;                   // bit n: number key n has its value
    std::uint32_t unscaled_ = 0;                // bit q: quantity q needs no conversion in the item's units
    std::optional<double> NPS_, DN_;
};

}  // namespace tx14
