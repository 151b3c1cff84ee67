// Whole LGCENTER calls: each kind of item in capture mode, the end-to-end
// large opening appending to a file, and batch throughput on one and two
// threads with a context each.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_items.hpp"

namespace {

using tx14::bench::HostItem;

// One call per iteration on a context that has run the item before; the
// host's array is refreshed each time because the call writes into it.
void capture_call(benchmark::State& state, HostItem (*make)())
{
    const HostItem item = make();
    tx14::Context context;
    HostItem call = item;
    call.run(context);
    for (auto _ : state) {
        call.reals = item.reals;
        call.run(context);
        benchmark::DoNotOptimize(call.reals.data());
    }
    state.counters["lines"] = context.captured_lines();
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(capture_call, opening_few_passes, tx14::bench::opening_item);
BENCHMARK_CAPTURE(capture_call, opening_viii2, tx14::bench::opening_viii2_item);
BENCHMARK_CAPTURE(capture_call, opening_all_50_passes, tx14::bench::opening_all_passes_item);
BENCHMARK_CAPTURE(capture_call, jacket_appendix_ee, [] { return tx14::bench::jacket_item(1); });
BENCHMARK_CAPTURE(capture_call, jacket_viii2, [] { return tx14::bench::jacket_item(2); });
BENCHMARK_CAPTURE(capture_call, jacket_appendix_ee_long_Trj_search,
                  [] { return tx14::bench::thick_shell_jacket_item(1); });
BENCHMARK_CAPTURE(capture_call, jacket_viii2_long_Trj_search, [] { return tx14::bench::thick_shell_jacket_item(2); });
BENCHMARK_CAPTURE(capture_call, coil_pd5500, [] { return tx14::bench::coil_item(3); });
BENCHMARK_CAPTURE(capture_call, coil_en13445, [] { return tx14::bench::coil_item(4); });

// The exported entry itself, on the process-wide state, as the host calls
// it; the capture block read back through GETLINESCOMAUX.
void exported_entry(benchmark::State& state)
{
    const HostItem item = tx14::bench::opening_item();
    HostItem call = item;
    for (auto _ : state) {
        call.reals = item.reals;
        LGCENTER(call.reals.data(), call.texts.data(), 15, &call.run_mode, 1, &call.error_count,
                 call.report_file.data(), 256, nullptr, nullptr, nullptr, call.unit_labels.data(), 10,
                 call.unit_factors.data(), &call.print_control);
        benchmark::DoNotOptimize(GETLINESCOMAUX());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(exported_entry)->Name("LGCENTER/opening_few_passes");

// The end-to-end opening appended to a file in the temporary directory,
// which is emptied (untimed) every 1000 reports.
void file_call(benchmark::State& state)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tx14_bench_" + std::to_string(::getpid()) + ".txt");
    HostItem item = tx14::bench::opening_item();
    item.file(path.string());
    item.at(40) = 6;  // a report unit: the file, not the capture block
    tx14::Context context;
    HostItem call = item;
    std::int64_t written = 0;
    for (auto _ : state) {
        call.reals = item.reals;
        call.run(context);
        if (++written % 1000 == 0) {
            state.PauseTiming();
            std::filesystem::resize_file(path, 0);
            state.ResumeTiming();
        }
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(file_call)->Name("file_call/opening_few_passes");

// What appending the same report costs at the least: the bytes of the
// end-to-end opening's report file, appended by a plain open, one write
// and a close. file_call is judged against this and capture_call.
void plain_append(benchmark::State& state)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tx14_bench_plain_" + std::to_string(::getpid()) + ".txt");
    HostItem item = tx14::bench::opening_item();
    item.file(path.string());
    item.at(40) = 6;
    tx14::Context context;
    item.run(context);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::resize_file(path, 0);
    std::int64_t written = 0;
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("cannot append");
        ::close(fd);
        if (++written % 1000 == 0) {
            state.PauseTiming();
            std::filesystem::resize_file(path, 0);
            state.ResumeTiming();
        }
    }
    std::filesystem::remove(path);
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(plain_append)->Name("plain_append/opening_few_passes");

// Items per second of a host running a mixed batch, one context per thread.
void batch(benchmark::State& state)
{
    const std::vector<HostItem> items = {tx14::bench::opening_item(), tx14::bench::opening_viii2_item(),
                                         tx14::bench::jacket_item(1), tx14::bench::jacket_item(2),
                                         tx14::bench::coil_item(3),   tx14::bench::coil_item(4)};
    tx14::Context context;
    std::size_t n = 0;
    for (auto _ : state) {
        HostItem call = items[n++ % items.size()];
        call.run(context);
        benchmark::DoNotOptimize(call.reals.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(batch)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace
