// The byte layout of a fuzz_lgcenter input: one complete LGCENTER call.
// Shared by the fuzz target, which decodes it, and the seed generator,
// which encodes the example and golden items. An input shorter than the
// layout leaves the rest zero, so a seed need not spell out elements
// 41 to 200.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tx14::fuzz {

// Where the report goes (the low two bits of the destination byte).
enum class Destination : std::uint8_t {
    capture = 0,         // a blank file name
    file = 1,            // a file in a fresh temporary directory, pre-filled
    directory = 2,       // the temporary directory itself: cannot be opened
    missing_folder = 3,  // a file in a folder that does not exist
};

inline constexpr std::uint8_t kNulPadded = 0x04;     // name ends in NULs rather than blanks
inline constexpr std::uint8_t kReuseContext = 0x08;  // run on the context of the previous input

// Steering of the item kind: 0 and 6-255 keep elements 200 and 20 as
// given; 1 forces a large opening; 2-5 a jacket or coil with code 1-4.
inline constexpr std::uint8_t kOpening = 1;
inline constexpr std::uint8_t kJacketCode1 = 2;

struct CallInput {
    std::uint8_t destination = 0;
    std::uint8_t kind = 0;
    std::int8_t no_special = 0;  // the special-character flag (only 1 acts)
    char run_mode = ' ';
    std::array<float, 40> front{};  // elements 1-40
    std::array<char, 3 * 15> texts{};
    std::array<char, 23 * 10> labels{};
    std::array<float, 22> factors{};
    std::array<float, 160> back{};  // elements 41-200

    float& element(int n)
    {
        return n <= 40 ? front[static_cast<std::size_t>(n - 1)] : back[static_cast<std::size_t>(n - 41)];
    }
};

namespace detail {

// Visits the fields in their byte order.
template <typename Input, typename F>
void for_each_part(Input& in, F&& part)
{
    part(&in.destination, 1);
    part(&in.kind, 1);
    part(&in.no_special, 1);
    part(&in.run_mode, 1);
    part(in.front.data(), sizeof in.front);
    part(in.texts.data(), sizeof in.texts);
    part(in.labels.data(), sizeof in.labels);
    part(in.factors.data(), sizeof in.factors);
    part(in.back.data(), sizeof in.back);
}

}  // namespace detail

inline constexpr std::size_t kCallInputSize = 4 + 40 * 4 + 45 + 230 + 22 * 4 + 160 * 4;

inline CallInput decode(const std::uint8_t* data, std::size_t size)
{
    CallInput in;
    std::size_t at = 0;
    detail::for_each_part(in, [&](void* to, std::size_t n) {
        std::size_t take = at < size ? std::min(n, size - at) : 0;
        std::memset(to, 0, n);
        if (take > 0)
            std::memcpy(to, data + at, take);
        at += n;
    });
    return in;
}

// The bytes of an input, cut after the last nonzero byte.
inline std::string encode(CallInput in)
{
    std::string bytes;
    detail::for_each_part(in,
                          [&](const void* from, std::size_t n) { bytes.append(static_cast<const char*>(from), n); });
    bytes.erase(bytes.find_last_not_of('\0') + 1);
    return bytes;
}

}  // namespace tx14::fuzz
