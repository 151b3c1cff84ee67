// The codes an item's validation raised, in the order of its checks, kept
// for the results record: each fatal one is a reason the item could not be
// analysed, in the words of its report message. And the sign tests both
// validations make.
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

// "Not above 0" and "negative" (not at least 0) also hold for a value that
// is not a number: the checks refuse NaN with them.
inline bool not_above_zero(float x) { return !(x > 0.0f); }
inline bool negative(float x) { return !(x >= 0.0f); }

struct InputFindings {
    static constexpr int kCapacity = 20;
    std::array<std::int32_t, kCapacity> codes{};
    int count = 0;

    void clear() { count = 0; }
    // Lists `code` when the check it stands for found a fault.
    void raise_if(bool found, std::int32_t code)
    {
        if (found && count < kCapacity)
            codes[static_cast<std::size_t>(count++)] = code;
    }
};

}  // namespace tx14
