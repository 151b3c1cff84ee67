// The codes an item's validation raised, in the order of its checks, kept
// for the results record: each fatal one is a reason the item could not be
// analysed, in the words of its report message.
#pragma once

#include <array>
#include <cstdint>

namespace tx14 {

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
