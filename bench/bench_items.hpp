// The items the benchmarks, the instruction count and the allocation test
// run: one per kind of work a host hands the library.
#pragma once

#include <string_view>

#include "support/test_support.hpp"
#include "txappendix14_items.hpp"

namespace tx14::bench {

using test::HostItem;

// The end-to-end large opening (A = 60, Bn = 30, t = 4, g0s = 1,
// g1s = 1.5, hs = 3, ca = 0.125, P = 100, Sho = 20000, no nozzle, VIII-1):
// the thickness search converges after a few passes.
HostItem opening_item();
// The same item per VIII-2.
HostItem opening_viii2_item();
// A head whose thickness search never converges: all 50 passes, then the
// failure note.
HostItem opening_all_passes_item();

// Half-pipe jackets: the verified Appendix EE item (code 1), the verified
// VIII-2 item (code 2), and, per code, a jacket pressure so high for its
// shell that the Trj search climbs past 12 inches (over 3000 steps of
// 1/256 inch).
HostItem jacket_item(int code);
HostItem thick_shell_jacket_item(int code);
// Limpet coils: PD 5500 (code 3) and EN 13445 (code 4).
HostItem coil_item(int code);

// An item by its name as the instruction count takes it ("opening",
// "opening-viii2", "opening-50", "jacket-1", "jacket-2", "jacket-thick-1",
// "jacket-thick-2", "coil-3", "coil-4"); false for an unknown name.
bool item_named(std::string_view name, HostItem& item);

using test::typed_item;

}  // namespace tx14::bench
