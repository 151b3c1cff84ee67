// Runs large-opening items through LGCENTER in capture mode for the tests.
#include "opening_test_support.hpp"

#include <algorithm>
#include <cstring>

#include "entry/input_arrays.hpp"
#include "entry/state.hpp"

namespace tx14::test {

std::array<float, 200> OpeningItem::reals() const
{
    std::array<float, 200> r{};
    auto at = [&r](int n) -> float& { return r[static_cast<std::size_t>(n - 1)]; };
    at(1) = item;
    at(5) = P;
    at(6) = T;
    at(7) = t;
    at(8) = Bn;
    at(9) = A;
    at(10) = g0s;
    at(11) = g1s;
    at(12) = hs;
    at(13) = ca;
    at(15) = Sho;
    at(16) = Shg;
    at(18) = g0n;
    at(19) = g1n;
    at(20) = hn;
    at(21) = density;
    at(25) = code;
    at(40) = 0;  // capture mode
    at(200) = 0;
    return r;
}

std::array<char, 23 * 10> us_labels()
{
    static const char* const names[23] = {
        "ft.", "lb.", "in\xB2", "in\xB3", "ft-lb.", "psi", "F", "F", "psi", "lb./ft.",
        "in\xB2", "in\xB3", "ft\xB3", "lb./in\xB3", "lb.", "in.", "in.", "in.", "in.", "in.",
        "in.", "in.", "in."};
    std::array<char, 23 * 10> labels;
    labels.fill(' ');
    for (int i = 0; i < 23; ++i)
        std::memcpy(labels.data() + i * 10, names[i], std::strlen(names[i]));
    return labels;
}

std::array<float, 22> unit_factors(float moment_factor)
{
    std::array<float, 22> f;
    f.fill(1.0f);
    f[7] = 0.0f;  // temperature offset
    f[4] = moment_factor;
    return f;
}

std::string record_text(std::string_view record)
{
    std::string text(record.substr(4, 100));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string record_styles(std::string_view record) { return std::string(record.substr(108, 12)); }

Run run_item(const OpeningItem& item)
{
    Run run;
    run.reals = item.reals();
    std::array<char, 30> texts;
    texts.fill(' ');
    std::memcpy(texts.data(), item.material.data(), std::min<std::size_t>(item.material.size(), 15));
    std::memcpy(texts.data() + 15, "HEAD 1", 6);
    std::array<char, 256> file;
    file.fill(' ');
    const auto labels = us_labels();
    const auto factors = unit_factors(item.moment_factor);
    std::int32_t print_control = 0;

    Context context;
    context.analyse(run.reals.data(), texts.data(), "L", &run.errors, file.data(), labels.data(),
                    factors.data(), &print_control);
    run.passes = context.state().opening_work.iteration;
    for (int i = 0; i < context.captured_lines(); ++i) {
        std::string_view rec = context.captured_record(i);
        run.records.emplace_back(rec);
        run.lines.push_back(record_text(rec));
    }
    return run;
}

void use_us_units(State& st, float moment_factor)
{
    const auto labels = us_labels();
    const auto factors = unit_factors(moment_factor);
    take_over_units(st.units, factors.data(), labels.data());
    st.report.reset();
}

void load_item(State& st, const OpeningItem& item)
{
    use_us_units(st, item.moment_factor);
    std::array<float, 200> reals = item.reals();
    std::array<char, 30> texts;
    texts.fill(' ');
    unpack_opening_input(st.opening, reals.data(), texts.data());
    st.opening_work.m12 = item.moment_factor == 1.0f ? 12.0f : 1.0f;
}

std::vector<std::string> captured_lines(const State& st)
{
    std::vector<std::string> lines;
    for (int i = 0; i < st.report.capture.count; ++i)
        lines.push_back(record_text(std::string_view(st.report.capture.records[i], 125)));
    return lines;
}

int find_line(const std::vector<std::string>& lines, std::string_view text)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == text)
            return static_cast<int>(i);
    return -1;
}

}  // namespace tx14::test
