// Capture-mode runs of jacket and coil items for the tests.
#include "jacket_test_support.hpp"

#include <algorithm>
#include <cstring>

#include "entry/units.hpp"

namespace tx14::testing {
namespace {

Line captured_line(std::string_view rec)
{
    std::string text(rec.substr(4, 100));
    text.erase(text.find_last_not_of(' ') + 1);
    Line line{text, {}};
    for (std::size_t s = 0; s < 6; ++s)
        line.styles[s] = std::stoi(std::string(rec.substr(108 + 2 * s, 2)));
    return line;
}

}  // namespace

namespace {

// Elements 1 to 21 of an item, the materials in text fields 1 and 2.
JacketItem make_item(const std::array<float, 21>& elements)
{
    JacketItem item;
    std::copy(elements.begin(), elements.end(), item.reals.begin());
    item.text(1, "SA-516 70");
    item.text(2, "SA-106 B");
    return item;
}

}  // namespace

JacketItem half_pipe_item()
{
    //               item D   ts      P    T    S      Sa     ca      E  NPS Tj     Pj   Tjacket
    return make_item({7, 48, 0.375f, 100, 300, 20000, 20000, 0.125f, 1, 2, 0.25f, 100, 350,
                      15000, 15000, 0.0625f, 0, 0, 0, 1, 0});
    //               Sj     Sja    caj      r  ExtPCore co code L
}

JacketItem limpet_coil_item()
{
    //               item D   e     P   T    f      Sa ca      E  NPS ec      pc   Tcoil
    return make_item({8, 48, 0.5f, 50, 200, 20000, 0, 0.125f, 0, 3, 0.216f, 100, 250,
                      15000, 0, 0.0625f, 0, 0, 0, 3, 12});
    //               fc     Sja caj     r  ExtPCore co code L
}

JacketItem appendix_ee_item()
{
    JacketItem item = half_pipe_item();
    item[11] = 0.07f;  // Tj
    item[12] = 300;    // Pj
    return item;
}

JacketItem div2_item()
{
    JacketItem item = half_pipe_item();
    item[10] = 3;
    item[11] = 0.216f;
    item[12] = 100;
    item[18] = 5;        // ExtPCore
    item[19] = 0.0625f;  // co
    item[20] = 2;
    return item;
}

JacketItem en13445_item()
{
    JacketItem item = limpet_coil_item();
    item[20] = 4;
    return item;
}

JacketInput jacket_input(std::int32_t code)
{
    JacketInput in;
    in.item = 7;
    in.code = code;
    in.D = 48;
    in.ts = 0.375f;
    in.P = 100;
    in.S = 20000;
    in.E = 1;
    in.ca = 0.125f;
    in.NPS = 2;
    in.Tj = 0.25f;
    in.Pj = 100;
    in.Sj = 15000;
    in.caj = 0.0625f;
    return in;
}

ItemRun run(JacketItem item)
{
    Context context;
    item.run(context);

    ItemRun result;
    result.reals = item.reals;
    result.input_errors = context.input_errors();
    for (int i = 0; i < context.captured_lines(); ++i) {
        std::string_view rec = context.captured_record(i);
        result.lines.push_back(captured_line(rec));
        result.records.emplace_back(rec.substr(0, 120));
    }
    return result;
}

std::unique_ptr<State> capture_state()
{
    auto st = std::make_unique<State>();
    const test::HostItem host;
    take_over_units(st->units, host.unit_factors.data(), host.unit_labels.data());
    st->report.reset();
    return st;
}

std::vector<Line> captured(const State& st)
{
    std::vector<Line> lines;
    for (int i = 0; i < st.report.capture.count; ++i)
        lines.push_back(captured_line(std::string_view(st.report.capture.records[i], 125)));
    return lines;
}

std::vector<std::string> texts(const ItemRun& run)
{
    std::vector<std::string> out;
    for (const Line& line : run.lines)
        out.push_back(line.text);
    return out;
}

int find_line(const ItemRun& run, std::string_view text)
{
    for (std::size_t i = 0; i < run.lines.size(); ++i)
        if (run.lines[i].text == text)
            return static_cast<int>(i);
    return -1;
}

}  // namespace tx14::testing
