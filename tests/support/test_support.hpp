// Items as a host hands them to the library, their reports read back, and
// files: shared by the tests, the benchmarks and the fuzz seed writer.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

#include "txappendix14.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {

namespace test {

// The arrays LGCENTER reads, filled with the worked large-opening item (a
// head without nozzle, VIII-1) in US customary units with factors 1, to be
// captured in memory. Header only: the host simulator uses it without
// linking the library.
struct HostItem {
    std::array<float, 200> reals{};
    std::array<char, 3 * 15> texts{};
    std::array<char, 256> report_file{};
    std::array<char, 23 * 10> unit_labels{};
    std::array<float, 22> unit_factors{};
    char run_mode = ' ';
    std::int32_t error_count = -7;
    std::int32_t print_control = -7;

    HostItem()
    {
        texts.fill(' ');
        report_file.fill(' ');
        unit_labels.fill(' ');
        unit_factors.fill(1.0f);
        unit_factors[7] = 0.0f;  // temperature offset
        // clang-format off
        const char* const labels[22] = {"in.", "lb.", "", "", "ft-lb.", "psi", "F", "F", "psi", "", "", "", "", "", "",
                                        "", "", "", "", "", "in.", "in."};
        // clang-format on
        for (int n = 1; n <= 22; ++n)
            label(n, labels[n - 1]);
        text(1, "SA-105");
        text(2, "Top head");
        // clang-format off
        //                      item          P    T    t  Bn  A   g0s g1s   hs ca        Sho    Shg                density
        const float item[21] = {1, 0, 0, 0, 100, 300, 4, 30, 60, 1, 1.5f, 3, 0.125f, 0, 20000, 20000, 0, 0, 0, 0, 0.283f};
        // clang-format on
        std::copy(std::begin(item), std::end(item), reals.begin());
        set({{25, 1}, {40, 6}});  // the code, the report unit
    }

    float& at(int n) { return reals[static_cast<std::size_t>(n - 1)]; }
    float& operator[](int n) { return at(n); }  // element n, from 1

    // Sets elements: {element, value}, ...
    HostItem& set(const std::vector<std::pair<int, float>>& elements)
    {
        for (auto [n, v] : elements)
            at(n) = v;
        return *this;
    }

    void label(int n, std::string_view text) { copy(unit_labels.data() + (n - 1) * 10, 10, text); }
    void text(int n, std::string_view value) { copy(texts.data() + (n - 1) * 15, 15, value); }
    void file(std::string_view name) { copy(report_file.data(), 256, name); }

    void run(Context& ctx)
    {
        ctx.analyse(reals.data(), texts.data(), &run_mode, &error_count, report_file.data(), unit_labels.data(),
                    unit_factors.data(), &print_control);
    }

private:
    static void copy(char* to, std::size_t width, std::string_view s)
    {
        std::memset(to, ' ', width);
        std::memcpy(to, s.data(), std::min(s.size(), width));
    }
};

// The host's side of a jacket or coil item: elements 1 to 21 as given,
// element 200 = 1, every other element 0, the materials in text fields 1
// and 2.
struct JacketItem : HostItem {
    explicit JacketItem(const std::array<float, 21>& elements)
    {
        reals.fill(0.0f);
        std::copy(elements.begin(), elements.end(), reals.begin());
        at(200) = 1.0f;
        text(1, "SA-516 70");
        text(2, "SA-106 B");
    }
};

// A half-pipe jacket on a 48-inch shell: NPS 2, Appendix EE, adequate
// throughout (override what a test is about).
inline JacketItem half_pipe_item()
{
    //                item D   ts      P    T    S      Sa     ca      E  NPS Tj     Pj   Tjacket
    return JacketItem(
        {7, 48, 0.375f, 100, 300, 20000, 20000, 0.125f, 1, 2, 0.25f, 100, 350, 15000, 15000, 0.0625f, 0, 0, 0, 1, 0});
    //                Sj     Sja    caj      r  ExtPCore co code L
}

// A limpet coil of NPS 3 on a 48-inch shell, PD 5500.
inline JacketItem limpet_coil_item()
{
    //                item D   e     P   T    f      Sa ca      E  NPS ec      pc   Tcoil
    return JacketItem(
        {8, 48, 0.5f, 50, 200, 20000, 0, 0.125f, 0, 3, 0.216f, 100, 250, 15000, 0, 0.0625f, 0, 0, 0, 3, 12});
    //                fc     Sja caj     r  ExtPCore co code L
}

// The items of the verified reports besides the coil above: Appendix EE,
// NPS 2, too thin for 300 psi (Tj, Pj), accepted as 10S; VIII-2, NPS 3,
// the core's external pressure adding to Pj (NPS, Tj, ExtPCore, co, code);
// the NPS 3 coil per EN 13445.
inline HostItem appendix_ee_item() { return half_pipe_item().set({{11, 0.07f}, {12, 300}}); }
inline HostItem div2_item() { return half_pipe_item().set({{10, 3}, {11, 0.216f}, {18, 5}, {19, 0.0625f}, {20, 2}}); }
inline HostItem en13445_item() { return limpet_coil_item().set({{20, 4}}); }

// The notice that closes every report (0xA9: copyright sign).
inline constexpr std::string_view kNotice = "TXAppendix14 Calculation Library, Copyright \xA9 2026";

// A text without its trailing blanks, and the text of a capture record
// (columns 5 to 104).
inline std::string unpadded(std::string_view s) { return std::string(s.substr(0, s.find_last_not_of(' ') + 1)); }
inline std::string text_of(std::string_view record) { return unpadded(record.substr(4, 100)); }

// One run of an item through a context in capture mode, read back.
struct ItemRun {
    std::vector<std::string> records;  // columns 1 to 120 of each capture record
    std::vector<std::string> lines;    // their texts
    std::array<float, 200> reals;      // the host's array after the call
    std::int32_t errors = 0;           // LGCENTER's error count
    int input_errors = 0;              // as the context counted them
    int passes = 0;                    // of the thickness search

    // Index of the first line equal to (starting with) `text`, or -1.
    int find(std::string_view text, bool prefix = false) const;
    bool has(std::string_view text) const { return find(text) >= 0; }
    // The style codes (columns 109 to 120) of line i.
    std::string styles(int i) const { return records[static_cast<std::size_t>(i)].substr(108, 12); }
};

ItemRun run(HostItem item);

// The same item for the typed entry: kind, code, US units, and each key of
// its kind whose element or field is not zero or blank.
Item typed_item(const HostItem& host);

// A blank-padded buffer of `width` characters holding `text`.
inline std::string padded(std::string_view text, std::size_t width)
{
    return std::string(text.substr(0, width)) + std::string(width - std::min(width, text.size()), ' ');
}

inline std::string read_file(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& p, std::string_view bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// A file `name` in the temporary directory, of this process alone (tests run
// in parallel), not there yet.
inline std::filesystem::path scratch_file(const std::string& name)
{
    auto p = std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove(p);
    return p;
}

// `text` with the first `from` replaced by `to`.
inline std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

// The lines of a text, each without its line break.
inline std::vector<std::string> split_lines(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t p = 0, nl; (nl = text.find('\n', p)) != std::string_view::npos; p = nl + 1)
        lines.emplace_back(text.substr(p, nl - p));
    return lines;
}

}  // namespace test

namespace testing = test;  // the name the benchmarks and the fuzz seeds use

}  // namespace tx14
