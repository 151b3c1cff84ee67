// Every key an item of a kind may hold, found by one hashed look-up of its
// name, and what the item's rules need to know of the number keys: the
// keys they read by position, and the values a component allows each key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "txappendix14_items.hpp"

namespace tx14 {

// What a key of an item stands for.
enum class KeyRole : std::uint8_t { unknown, kind, code, units, item, number, text, designation, sheet };

struct KeyRef {
    KeyRole role = KeyRole::unknown;
    std::uint8_t index = 0;  // of the kind's number keys, text keys, or kSheetKeys
};

// The values a component can have, where it limits a number key.
enum class Domain : std::uint8_t {
    any,
    allowance,  // a corrosion allowance: 0 or more
    stress,     // an allowable stress: above 0
    fraction,   // a joint efficiency: in (0, 1]
};

inline constexpr std::uint8_t kNoKey = 0xFF;

// The number keys the item's rules read, by position in the kind's number
// keys; kNoKey where the kind has no such key.
struct RuleKeys {
    std::uint8_t NPS, r, A, Bn, g0s, ca, g0n, g1n, Sa, Sja, Shg, Pj;
};

inline constexpr std::size_t kMaxNumberKeys = 24;
inline constexpr std::size_t kMaxItemKeys = 48;

// Two names alike, byte for byte; short names need no call of memcmp.
constexpr bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// The entry of a list (keys, kinds, codes) of that name; none.
template <typename Named>
const Named* named_in(std::span<const Named> list, std::string_view name)
{
    for (const Named& n : list)
        if (same_name(n.name, name))
            return &n;
    return nullptr;
}

inline constexpr std::size_t kCodeSelectors = 8;  // selectors 0 to 7

struct KindIndex {
    static constexpr unsigned kSlotBits = 7;

    struct Name {
        std::string_view name;
        std::uint32_t mix;
        KeyRef ref;
    };

    std::uint32_t seed = 0;                             // multiplier of the hash: no two names share a slot
    std::array<std::uint8_t, 1u << kSlotBits> slots{};  // 1 + position in `names`; 0: no name
    std::array<Name, kMaxItemKeys> names{};
    RuleKeys rules{};
    std::array<Domain, kMaxNumberKeys> domains{};          // by number key
    std::uint64_t limited = 0;                             // bit n: number key n has a domain
    std::array<std::uint64_t, kCodeSelectors> required{};  // by selector, bit n: number key n is required

    // The length, first, middle and last byte of a name: all of a name of
    // up to three bytes. 0 for an empty name only.
    static constexpr std::uint32_t mix(std::string_view name)
    {
        std::uint32_t m = static_cast<std::uint32_t>(name.size());
        if (!name.empty()) {
            auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(name[i])); };
            m |= byte(0) << 8 | byte(name.size() / 2) << 16 | byte(name.size() - 1) << 24;
        }
        return m;
    }
    static constexpr std::size_t slot(std::uint32_t mix, std::uint32_t seed)
    {
        return (mix * seed) >> (32 - kSlotBits);
    }

    static std::uint32_t word(const char* p)
    {
        std::uint32_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }

    KeyRef find(std::string_view name) const
    {
        const std::uint32_t m = mix(name);
        const std::uint8_t at = slots[slot(m, seed)];
        if (at == 0)
            return {};
        const Name& n = names[at - 1u];
        if (n.mix != m || n.name.size() != name.size())
            return {};          // the mix holds the length's low byte only
        if (name.size() > 3) {  // the mix leaves bytes out: compare four at a time, the last four at the end
            for (std::size_t i = 0; i + 4 < name.size(); i += 4)
                if (word(n.name.data() + i) != word(name.data() + i))
                    return {};
            if (word(n.name.data() + name.size() - 4) != word(name.data() + name.size() - 4))
                return {};
        }
        return n.ref;
    }
};

// The index of one of the kinds of kinds().
const KindIndex& kind_index(Kind kind);

}  // namespace tx14
