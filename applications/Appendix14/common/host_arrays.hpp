// The layout of the host's arrays that both analyses read: the real array
// of 200 elements and the text fields of 15 characters.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <utility>

namespace tx14 {

inline constexpr int kRealCount = 200;
inline constexpr int kTextWidth = 15;
inline constexpr float kMissingValue = -1.0101f;

// Element n (counted from 1) of the real array.
inline float& element(float* reals, int n) { return reals[n - 1]; }

// Every element 1 to 200 equal to the missing-value mark becomes 0.0, in
// the host's own array.
inline void replace_missing_values(float* reals)
{
    for (int n = 1; n <= kRealCount; ++n)
        if (element(reals, n) == kMissingValue)
            element(reals, n) = 0.0f;
}

// Text field n (from 1) of the host's text array, or nullptr.
inline const char* text_field(const char* texts, int n) { return texts ? texts + (n - 1) * kTextWidth : nullptr; }

// The number field of an input record that element `element` of the real
// array goes to, from a table of (element, field) pairs in rising order;
// nullptr for an element the record does not hold.
template <class Input, auto& kFields>
float* field_of_element(Input& in, int element)
{
    static constexpr auto by_element = [] {
        std::array<float Input::*, std::rbegin(kFields)->first + 1> of{};
        for (auto [e, field] : kFields)
            of[static_cast<std::size_t>(e)] = field;
        return of;
    }();
    const auto e = static_cast<std::size_t>(element);  // below 0: past the end
    if (e >= by_element.size() || by_element[e] == nullptr)
        return nullptr;
    return &(in.*by_element[e]);
}

}  // namespace tx14
