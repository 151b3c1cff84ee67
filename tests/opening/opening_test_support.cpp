// Runs large-opening items through LGCENTER in capture mode for the tests.
#include "opening_test_support.hpp"

#include <algorithm>

#include "entry/input_arrays.hpp"
#include "txappendix14.hpp"

namespace tx14::test {
namespace {

// US labels (length, force, ..., moment 5, stress 6, temperature 7, pressure
// 9, diameter 21, thickness 22) in 10-character fields.
constexpr char kLabels[] = "ft.       lb.       in\xB2       in\xB3       ft-lb.    "
                           "psi       F         F         psi       lb./ft.   "
                           "in\xB2       in\xB3       ft\xB3       lb./in\xB3   lb.       "
                           "in.       in.       in.       in.       in.       "
                           "in.       in.       in.       ";
static_assert(sizeof kLabels == 23 * 10 + 1);

std::array<float, 22> unit_factors(float moment_factor)
{
    std::array<float, 22> f;
    f.fill(1.0f);
    f[4] = moment_factor;
    f[7] = 0.0f;  // temperature offset
    return f;
}

std::string text_of(std::string_view record)
{
    std::string text(record.substr(4, 100));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

std::array<float, 200> OpeningItem::reals() const
{
    std::array<float, 200> r{};  // element 40 = 0: capture mode
    const std::pair<int, float> elements[] = {
        {1, item}, {5, P},   {6, T},    {7, t},     {8, Bn},   {9, A},   {10, g0s},
        {11, g1s}, {12, hs}, {13, ca},  {15, Sho},  {16, Shg}, {18, g0n}, {19, g1n},
        {20, hn},  {21, density}, {25, code}};
    for (auto [n, v] : elements)
        r[static_cast<std::size_t>(n - 1)] = v;
    return r;
}

Run run_item(const OpeningItem& item)
{
    Run run;
    run.reals = item.reals();
    std::string texts = (item.material + std::string(15, ' ')).substr(0, 15) + "HEAD 1         ";
    const std::string file(256, ' ');
    const auto factors = unit_factors(item.moment_factor);
    std::int32_t print_control = 0;

    Context context;
    context.analyse(run.reals.data(), texts.data(), "L", &run.errors, file.data(), kLabels,
                    factors.data(), &print_control);
    run.passes = context.state().opening_work.iteration;
    for (int i = 0; i < context.captured_lines(); ++i) {
        run.records.emplace_back(context.captured_record(i));
        run.lines.push_back(text_of(run.records.back()));
    }
    return run;
}

int find_line(const std::vector<std::string>& lines, std::string_view text)
{
    auto at = std::find(lines.begin(), lines.end(), text);
    return at == lines.end() ? -1 : static_cast<int>(at - lines.begin());
}

void load_item(State& st, const OpeningItem& item)
{
    const auto factors = unit_factors(item.moment_factor);
    take_over_units(st.units, factors.data(), kLabels);
    st.report.reset();
    std::array<float, 200> reals = item.reals();
    const std::string texts(30, ' ');
    unpack_opening_input(st.opening, reals.data(), texts.data());
    st.opening_work.m12 = item.moment_factor == 1.0f ? 12.0f : 1.0f;
}

std::vector<std::string> captured_lines(const State& st)
{
    std::vector<std::string> lines;
    for (int i = 0; i < st.report.capture.count; ++i)
        lines.push_back(text_of(std::string_view(st.report.capture.records[i], 125)));
    return lines;
}

}  // namespace tx14::test
