// The report primitives alone: SUBSTVALUES, the one-pass formula line,
// SIGDIGITS, the blank squeezer and the line writer.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string_view>

#include "report/formula.hpp"
#include "report/rendering.hpp"
#include "report/report.hpp"

namespace {

// A formula line of six values of different kinds, as the jacket prints it.
constexpr std::string_view kTemplate = " = (@2 *@3 )/(@2 *@2 - 0.6 *@2 ) + @3 #";
constexpr float kValues[] = {100.0f, 24.125f, 20000.0f, 1.0f, 100.0f, 0.1875f};

std::array<char, tx14::kFormulaWidth> template_buffer()
{
    std::array<char, tx14::kFormulaWidth> t;
    tx14::assign(t, kTemplate);
    return t;
}

void substvalues(benchmark::State& state)
{
    const auto tmpl = template_buffer();
    std::array<char, tx14::kFormulaWidth> work;
    for (auto _ : state) {
        work = tmpl;
        tx14::SUBSTVALUES(work, kValues);
        benchmark::DoNotOptimize(work.data());
    }
}
BENCHMARK(substvalues);

void sigdigits(benchmark::State& state)
{
    static constexpr float kSamples[] = {0.1875f, 2.19995f, 1234.6f, 952.8f, 0.05f, 3.0e9f, 2.5e7f, 642.093f};
    char text[tx14::kSigDigitsWidth];
    std::size_t n = 0;
    for (auto _ : state) {
        tx14::SIGDIGITS(kSamples[n++ % std::size(kSamples)], text, 3);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(sigdigits);

// The squeezer on a filled formula line, with the keep counts the reports
// use most (1: formula lines, 8: stress blocks).
void squeezer(benchmark::State& state)
{
    auto filled = template_buffer();
    tx14::SUBSTVALUES(filled, kValues);
    const int keep = static_cast<int>(state.range(0));
    std::array<char, tx14::kFormulaWidth> work;
    std::array<char, tx14::kLineWidth> line;
    for (auto _ : state) {
        work = filled;
        tx14::squeeze_blanks(work, line, keep);
        benchmark::DoNotOptimize(line.data());
    }
}
BENCHMARK(squeezer)->Arg(1)->Arg(8);

// The same template filled, tidied and squeezed in one pass into a line,
// with the keep counts of the squeezer above: what a formula line costs now.
void formula_line(benchmark::State& state)
{
    constexpr tx14::FormulaTemplate kParsed = kTemplate.data();
    const int keep = static_cast<int>(state.range(0));
    std::array<char, tx14::kLineWidth> line;
    for (auto _ : state) {
        tx14::fill_formula_line(line, kParsed, kValues, keep);
        benchmark::DoNotOptimize(line.data());
    }
}
BENCHMARK(formula_line)->Arg(1)->Arg(8);

// One captured line with styles; with the special-character conversion
// when the argument is 1.
void line_writer(benchmark::State& state)
{
    tx14::Report r;
    r.reset();
    constexpr std::string_view kLine = " = 0.91( 1.375 / 0.875 )\xB2 * 30.25 * 0.55 *1234/( 1.0 * 5.48)";
    r.own_no_special = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        tx14::assign(r.line, kLine);
        tx14::set_line_styles(r, tx14::style::kCaption);
        tx14::write_line(r);
        if (r.capture.count == tx14::kCaptureRecords)
            r.capture.count = 0;
    }
    benchmark::DoNotOptimize(r.capture.records[0]);
}
BENCHMARK(line_writer)->Arg(0)->Arg(1);

}  // namespace
