// The library's capture-mode call over the rows of a batch file, the figure
// bench/batch_throughput.sh sets `tx14 batch` against. Each row's item is
// built as the batch builds it, untimed; then only the calls are timed, on
// one context, the rows in turn, as the batch runs them.
// Usage: tx14_batch_calls FILE.csv  (prints the processor time of a call
// in microseconds, the median of 5 runs of about half a second: on this
// shared machine processor time moves less than the clock)
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <time.h>

#include "csv.hpp"
#include "item.hpp"
#include "text_file.hpp"

namespace {

using namespace tx14::cli;

constexpr int kRealCount = 200;
constexpr int kTextBytes = 3 * 15;

// What a host hands the library for one item.
struct Call {
    std::array<float, kRealCount> reals;
    std::array<char, kTextBytes> texts;
    std::array<float, tx14::kFactorCount> factors;
    std::array<char, tx14::kLabelCount * tx14::kLabelWidth> labels;
};

// The host's arrays of an item the typed entry checked: each value at its
// key's element (a missing-value mark where none was given), the code and
// the kind at theirs, each text in its field; capture mode.
Call call_of(const tx14::Outcome& o)
{
    Call c{};
    c.reals.fill(0.0f);
    c.texts.fill(' ');
    c.reals[0] = o.number ? static_cast<float>(*o.number) : -1.0101f;
    for (std::size_t i = 0; i < o.numbers.size(); ++i)
        c.reals[static_cast<std::size_t>(o.keys->numbers[i].element - 1)] = o.numbers[i].value_or(-1.0101f);
    const bool jacket = o.keys->kind == tx14::Kind::jacket;
    c.reals[jacket ? 19 : 24] = static_cast<float>(o.code->number);
    c.reals[199] = jacket ? 1.0f : 0.0f;
    for (std::size_t i = 0; i < o.texts.size(); ++i)
        o.texts[i].copy(c.texts.data() + (o.keys->texts[i].field - 1) * 15, 15);
    c.factors = o.units->host_factors();
    c.labels = o.units->host_labels();
    return c;
}

std::vector<Call> calls_of(const std::string& file)
{
    Diagnostics diags;
    std::vector<CsvRecord> records;
    std::optional<std::string> text = read_text_file(file, diags, kNoLimit);
    if (!text || !parse_csv(*text, file, records, diags) || records.empty())
        return {};
    UnitCatalog units;
    std::vector<Call> calls;
    for (std::size_t r = 1; r < records.size(); ++r) {
        std::vector<Entry> entries;
        for (std::size_t i = 0; i < records[r].cells.size() && i < records[0].cells.size(); ++i) {
            const CsvCell& c = records[r].cells[i];
            if (!c.text.empty())
                entries.push_back({records[0].cells[i].text, c.line, c.column, c.text, true});
        }
        std::optional<SourceItem> item =
            build_item(entries, file, file, std::filesystem::path(file).parent_path(), units, diags);
        tx14::Context ctx;
        tx14::Options check;
        check.report = false;
        if (item)
            if (const tx14::Outcome o = ctx.analyse(item->item, check); o.ran())
                calls.push_back(call_of(o));
    }
    return calls;
}

double cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Microseconds per call over at least `seconds`.
double time_calls(tx14::Context& ctx, const std::vector<Call>& calls, double seconds)
{
    std::array<char, 256> report_file;
    report_file.fill(' ');
    const char run_mode = ' ';
    std::size_t n = 0;
    const double start = cpu_seconds();
    double elapsed = 0;
    do {
        for (std::size_t i = 0; i < 64; ++i, ++n) {
            const Call& c = calls[n % calls.size()];
            std::array<float, kRealCount> reals = c.reals;
            std::int32_t errors = 0, print_control = 0;
            ctx.analyse(reals.data(), c.texts.data(), &run_mode, &errors, report_file.data(), c.labels.data(),
                        c.factors.data(), &print_control);
        }
        elapsed = cpu_seconds() - start;
    } while (elapsed < seconds);
    return elapsed * 1e6 / static_cast<double>(n);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tx14_batch_calls FILE.csv\n");
        return 2;
    }
    const std::vector<Call> calls = calls_of(argv[1]);
    if (calls.empty()) {
        std::fprintf(stderr, "%s: no row gives an item\n", argv[1]);
        return 2;
    }
    tx14::Context ctx;
    time_calls(ctx, calls, 0.1);  // warm up
    std::array<double, 5> runs;
    for (double& us : runs)
        us = time_calls(ctx, calls, 0.5);
    std::sort(runs.begin(), runs.end());
    std::printf("%.2f\n", runs[2]);
    return 0;
}
