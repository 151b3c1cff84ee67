// Runs an item through the installed library's typed entry and prints the
// library's version and the verdict.
#include <cstdio>

#include "txappendix14.hpp"

int main()
{
    std::string error;
    const tx14::Item item =
        tx14::item_from_json(
            R"({"kind": "opening", "code": "VIII-1", "units": "US", "P": 100, "t": 4, "Bn": 30, "A": 60, "g0s": 1,
            "g1s": 1.5, "hs": 3, "Sho": 20000})",
            error)
            .value();
    const tx14::Outcome outcome = tx14::Context().analyse(item);
    std::printf("%s %s\n", tx14_version(), tx14::verdict_name(outcome.record.verdict));
    return outcome.ran() ? 0 : 1;
}
