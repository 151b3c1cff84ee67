// A host's view of one call: the arrays LGCENTER reads, filled with a
// default large-opening item in US customary units.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "txappendix14.hpp"

namespace tx14::test {

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
        // Labels of US customary units, in the host's slots.
        label(1, "in.");
        label(2, "lb.");
        label(5, "ft-lb.");
        label(6, "psi");
        label(7, "F");
        label(8, "F");
        label(9, "psi");
        label(21, "in.");
        label(22, "in.");
        unit_factors[7] = 0.0f;  // temperature offset
        text(1, "SA-105");
        text(2, "Top head");
        // The worked large-opening item: a head without nozzle, VIII-1.
        at(1) = 1;
        at(5) = 100;     // P
        at(6) = 300;     // T
        at(7) = 4;       // t
        at(8) = 30;      // Bn
        at(9) = 60;      // A
        at(10) = 1;      // g0s
        at(11) = 1.5f;   // g1s
        at(12) = 3;      // hs
        at(13) = 0.125f; // ca
        at(15) = 20000;  // Sho
        at(16) = 20000;  // Shg
        at(21) = 0.283f; // density
        at(25) = 1;      // code edition
        at(40) = 6;      // report unit
    }

    float& at(int n) { return reals[static_cast<std::size_t>(n - 1)]; }

    void label(int n, std::string_view text)
    {
        std::memcpy(unit_labels.data() + (n - 1) * 10, text.data(), std::min<std::size_t>(text.size(), 10));
    }

    void text(int n, std::string_view value)
    {
        char* f = texts.data() + (n - 1) * 15;
        std::memset(f, ' ', 15);
        std::memcpy(f, value.data(), std::min<std::size_t>(value.size(), 15));
    }

    void file(std::string_view name)
    {
        report_file.fill(' ');
        std::memcpy(report_file.data(), name.data(), std::min<std::size_t>(name.size(), 256));
    }

    void run(Context& ctx)
    {
        ctx.analyse(reals.data(), texts.data(), &run_mode, &error_count, report_file.data(),
                    unit_labels.data(), unit_factors.data(), &print_control);
    }
};

// Captured line i (from 0) of a context: columns 5 to 104, trailing blanks cut.
inline std::string line_of(const Context& ctx, int i)
{
    std::string_view rec = ctx.captured_record(i);
    std::string_view text = rec.substr(4, 100);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

}  // namespace tx14::test
