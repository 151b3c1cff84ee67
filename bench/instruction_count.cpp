// Runs one item a given number of times on one context, for counting the
// instructions of the calls under callgrind: the calls go through
// tx14_measured_call (the host's arrays) or tx14_measured_entry (the typed
// entry), which the count is confined to. A first call outside them warms
// the context up, as a host's earlier items would have.
//
//   tx14_instruction_count ITEM [CALLS] [entry]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_items.hpp"

extern "C" __attribute__((noinline)) void tx14_measured_call(tx14::Context& context, tx14::bench::HostItem& item)
{
    item.run(context);
}

extern "C" __attribute__((noinline)) void tx14_measured_entry(tx14::Context& context, const tx14::Item& item,
                                                              tx14::Outcome& outcome)
{
    context.analyse(item, outcome);
}

int main(int argc, char** argv)
{
    tx14::bench::HostItem item;
    if (argc < 2 || !tx14::bench::item_named(argv[1], item)) {
        std::fprintf(stderr, "usage: %s ITEM [CALLS] [entry]\n", argv[0]);
        return 2;
    }
    const int calls = argc > 2 ? std::atoi(argv[2]) : 1;
    tx14::Context context;
    if (argc > 3 && std::strcmp(argv[3], "entry") == 0) {
        const tx14::Item typed = tx14::bench::typed_item(item);
        tx14::Outcome outcome;  // kept from call to call, as a caller running many items keeps it
        context.analyse(typed, outcome);
        for (int i = 0; i < calls; ++i)
            tx14_measured_entry(context, typed, outcome);
        std::printf("%zu lines\n", outcome.report.size());
        return 0;
    }
    tx14::bench::HostItem first = item;
    first.run(context);
    for (int i = 0; i < calls; ++i) {
        tx14::bench::HostItem fresh = item;  // the call writes its results into the array
        tx14_measured_call(context, fresh);
    }
    std::printf("%d lines captured\n", context.captured_lines());
    return 0;
}
