// Runs one item a given number of times on one context, for counting the
// instructions of the calls under callgrind: the calls go through
// tx14_measured_call, which the count is confined to. A first call outside
// it warms the context up, as a host's earlier items would have.
//
//   tx14_instruction_count ITEM [CALLS]
#include <cstdio>
#include <cstdlib>

#include "bench_items.hpp"

extern "C" __attribute__((noinline)) void tx14_measured_call(tx14::Context& context, tx14::bench::HostItem& item)
{
    item.run(context);
}

int main(int argc, char** argv)
{
    tx14::bench::HostItem item;
    if (argc < 2 || !tx14::bench::item_named(argv[1], item)) {
        std::fprintf(stderr, "usage: %s ITEM [CALLS]\n", argv[0]);
        return 2;
    }
    const int calls = argc > 2 ? std::atoi(argv[2]) : 1;
    tx14::Context context;
    tx14::bench::HostItem first = item;
    first.run(context);
    for (int i = 0; i < calls; ++i) {
        tx14::bench::HostItem fresh = item;  // the call writes its results into the array
        tx14_measured_call(context, fresh);
    }
    std::printf("%d lines captured\n", context.captured_lines());
    return 0;
}
