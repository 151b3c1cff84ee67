// Capture-mode runs of jacket and coil items for the tests.
#include "jacket_test_support.hpp"

#include <cstring>

#include "entry/units.hpp"

namespace tx14::testing {
namespace {

// Unit labels 1 to 23 (10 characters each): US customary.
std::array<char, 23 * 10> us_labels()
{
    std::array<char, 23 * 10> labels;
    labels.fill(' ');
    auto set = [&](int n, std::string_view text) {
        std::memcpy(labels.data() + (n - 1) * 10, text.data(), text.size());
    };
    set(1, "ft.");
    set(2, "lb.");
    set(5, "ft-lb.");
    set(6, "psi");
    set(7, "F");
    set(9, "psi");
    set(21, "in.");
    set(22, "in.");
    return labels;
}

// Every factor 1, the temperature offset 0: display units are internal.
std::array<float, 22> unit_factors()
{
    std::array<float, 22> factors;
    factors.fill(1.0f);
    factors[7] = 0.0f;
    return factors;
}

const std::array<char, 23 * 10> kLabels = us_labels();
const std::array<float, 22> kFactors = unit_factors();

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

JacketItem::JacketItem()
{
    texts.fill(' ');
    (*this)[200] = 1.0f;
}

void JacketItem::set_text(int n, std::string_view text)
{
    std::memcpy(texts.data() + (n - 1) * 15, text.data(), std::min<std::size_t>(text.size(), 15));
}

JacketItem half_pipe_item()
{
    JacketItem item;
    item[1] = 7;        // item number
    item[2] = 48;       // D
    item[3] = 0.375f;   // ts
    item[4] = 100;      // P
    item[5] = 300;      // design temperature
    item[6] = 20000;    // S
    item[7] = 20000;    // Sa
    item[8] = 0.125f;   // ca
    item[9] = 1;        // E
    item[10] = 2;       // NPS
    item[11] = 0.25f;   // Tj
    item[12] = 100;     // Pj
    item[13] = 350;     // jacket design temperature
    item[14] = 15000;   // Sj
    item[15] = 15000;   // Sja
    item[16] = 0.0625f; // caj
    item[20] = 1;       // Appendix EE
    item.set_text(1, "SA-516 70");
    item.set_text(2, "SA-106 B");
    return item;
}

JacketItem limpet_coil_item()
{
    JacketItem item;
    item[1] = 8;
    item[2] = 48;       // D
    item[3] = 0.5f;     // e
    item[4] = 50;       // P
    item[5] = 200;      // design temperature
    item[6] = 20000;    // f
    item[8] = 0.125f;   // ca
    item[10] = 3;       // NPS
    item[11] = 0.216f;  // ec
    item[12] = 100;     // pc
    item[13] = 250;     // coil design temperature
    item[14] = 15000;   // fc
    item[16] = 0.0625f; // caj
    item[20] = 3;       // PD 5500
    item[21] = 12;      // L
    item.set_text(1, "SA-516 70");
    item.set_text(2, "SA-106 B");
    return item;
}

ItemRun run(JacketItem item)
{
    char run_mode = ' ';
    std::int32_t errors = 0;
    std::int32_t print_control = 0;
    char file_name[256];
    std::memset(file_name, ' ', sizeof file_name);

    Context context;
    context.analyse(item.reals.data(), item.texts.data(), &run_mode, &errors, file_name,
                    kLabels.data(), kFactors.data(), &print_control);

    ItemRun result;
    result.reals = item.reals;
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
    take_over_units(st->units, kFactors.data(), kLabels.data());
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
