// Runs an item through the installed library's typed entry and prints the
// library's version and the verdict.
#include <cstdio>

#include "txappendix14.hpp"

int main()
{
    tx14::Item item;
    item.set("kind", "opening").set("code", "VIII-1").set("units", "US");
    for (auto [key, value] : {std::pair{"P", 100.0},
                              {"t", 4.0},
                              {"Bn", 30.0},
                              {"A", 60.0},
                              {"g0s", 1.0},
                              {"g1s", 1.5},
                              {"hs", 3.0},
                              {"Sho", 20000.0}})
        item.set(key, value);
    const tx14::Outcome outcome = tx14::Context().analyse(item);
    std::printf("%s %s\n", tx14_version(), tx14::verdict_name(outcome.record.verdict));
    return outcome.ran() ? 0 : 1;
}
