// Running jacket and coil items through LGCENTER in capture mode, with the
// host's US customary units (factors 1), and reading the report back.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "entry/state.hpp"
#include "support/host_item.hpp"

namespace tx14::testing {

// The host's side of a jacket or coil item: element 200 = 1, everything
// else blank or zero until set.
struct JacketItem : test::HostItem {
    JacketItem()
    {
        reals.fill(0.0f);
        texts.fill(' ');
        at(200) = 1.0f;
    }
    float& operator[](int n) { return at(n); }  // element n, from 1
};

// A half-pipe jacket on a 48-inch shell: NPS 2, Appendix EE, adequate
// throughout (override what a test is about).
JacketItem half_pipe_item();
// A limpet coil of NPS 3 on a 48-inch shell, PD 5500.
JacketItem limpet_coil_item();

// The items of the verified reports, one per code selector (the PD 5500
// coil is limpet_coil_item itself).
// Appendix EE, NPS 2: a jacket too thin for 300 psi, accepted as 10S.
JacketItem appendix_ee_item();
// VIII-2, NPS 3, adequate jacket; the core's external pressure adds to Pj.
JacketItem div2_item();
// The NPS 3 coil per EN 13445.
JacketItem en13445_item();

// The record of item 7, a valid jacket with the code selector given:
// P = 100 on a 48-inch shell of S = 20000 with ca = 0.125, a standard NPS 2
// jacket of 0.25 inch carrying 100 at Sj = 15000.
JacketInput jacket_input(std::int32_t code);

// One captured report line: its text without trailing blanks and styles.
struct Line {
    std::string text;
    std::array<int, 6> styles;
};

struct ItemRun {
    std::vector<Line> lines;
    std::vector<std::string> records;  // columns 1-120 of each capture record
    std::array<float, 200> reals;      // the host's array after the call
    int input_errors = 0;              // as the context counted them
};

// Runs the item through the C++ context exactly as LGCENTER does.
ItemRun run(JacketItem item);

// A run state in capture mode with the test units, for calling the
// analysis routines directly, and the lines it has captured.
std::unique_ptr<State> capture_state();
std::vector<Line> captured(const State& st);

// The texts of the lines, for searching.
std::vector<std::string> texts(const ItemRun& run);

// Index of the first line whose text equals `text`, or -1.
int find_line(const ItemRun& run, std::string_view text);

}  // namespace tx14::testing
