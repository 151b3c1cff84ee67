// Standard pipe data of the half-pipe jackets and coils: the column and
// outside diameter of each nominal size, and the nominal wall thickness of
// every schedule (inches), laid out like the printed table.
#pragma once

#include <array>
#include <cmath>

namespace tx14::pipes {

inline constexpr int kSchedules = 15;
inline constexpr int kSizes = 5;

// Pipe column (from 1) and outside diameter of a nominal size; sizes are
// compared exactly, any other value counts as NPS 4.
struct PipeSize {
    int col;
    float OD;
};

inline constexpr PipeSize pipe_size(float NPS)
{
    if (NPS == 2.0f)
        return {1, 2.375f};
    if (NPS == 2.5f)
        return {2, 2.875f};
    if (NPS == 3.0f)
        return {3, 3.5f};
    if (NPS == 3.5f)
        return {4, 4.0f};
    return {5, 4.5f};
}

// The sizes the table holds, 2 to 4 by halves; VIII-2 rates the whole
// sizes alone. The item's checks and the analysis's validation share this.
inline constexpr float kSmallestSize = 2.0f, kLargestSize = 4.0f;
template <class Size>
bool in_table(Size NPS, bool whole_sizes_only = false)
{
    const Size step = whole_sizes_only ? Size(1) : Size(0.5);
    return NPS >= Size(kSmallestSize) && NPS <= Size(kLargestSize) && std::fmod(NPS, step) == Size(0);
}

// 0.001 marks a schedule the size does not come in.
// clang-format off
inline constexpr std::array<std::array<float, kSizes>, kSchedules> kWall{{
    //  NPS 2     2.5      3       3.5      4        schedule
    {{0.065f, 0.083f, 0.083f, 0.083f, 0.083f}},  // 5S
    {{0.109f, 0.12f, 0.12f, 0.12f, 0.12f}},      // 10S
    {{0.001f, 0.001f, 0.001f, 0.001f, 0.001f}},  // 10
    {{0.001f, 0.001f, 0.001f, 0.001f, 0.001f}},  // 20
    {{0.001f, 0.001f, 0.001f, 0.001f, 0.001f}},  // 30
    {{0.154f, 0.203f, 0.216f, 0.226f, 0.237f}},  // 40
    {{0.154f, 0.203f, 0.216f, 0.226f, 0.237f}},  // 40S
    {{0.218f, 0.276f, 0.3f, 0.318f, 0.337f}},    // 80
    {{0.218f, 0.276f, 0.3f, 0.318f, 0.337f}},    // 80S
    {{0.218f, 0.276f, 0.3f, 0.318f, 0.337f}},    // 80XS
    {{0.001f, 0.001f, 0.001f, 0.001f, 0.438f}},  // 100
    {{0.001f, 0.001f, 0.001f, 0.001f, 0.001f}},  // 120
    {{0.001f, 0.001f, 0.001f, 0.001f, 0.001f}},  // 140
    {{0.343f, 0.375f, 0.437f, 0.001f, 0.531f}},  // 160
    {{0.436f, 0.552f, 0.6f, 0.636f, 0.674f}},    // XXS
}};
// clang-format on

// The schedule names in the row order of the wall table.
inline constexpr const char* kScheduleWords[kSchedules] = {"5S",  "10S",  "10",  "20",  "30",  "40",  "40S", "80",
                                                           "80S", "80XS", "100", "120", "140", "160", "XXS"};

// Name of schedule s (from 1).
inline constexpr const char* schedule_word(int s) { return kScheduleWords[s - 1]; }

// Wall of schedule s at pipe column col (both from 1).
inline constexpr float wall(int s, int col)
{
    return kWall[static_cast<std::size_t>(s - 1)][static_cast<std::size_t>(col - 1)];
}

}  // namespace tx14::pipes
