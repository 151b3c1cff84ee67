// The benchmark items, built on the items the tests verify.
#include "bench_items.hpp"

namespace tx14::bench {

HostItem opening_item() { return HostItem{}; }

HostItem opening_viii2_item()
{
    HostItem item;
    item.at(25) = 2;
    return item;
}

HostItem opening_all_passes_item()
{
    HostItem item;
    item.at(5) = 10;  // P
    item.at(8) = 10;  // Bn
    item.at(9) = 20;  // A
    item.at(10) = 3;  // g0s
    item.at(11) = 4;  // g1s
    return item;
}

HostItem jacket_item(int code) { return code == 2 ? testing::div2_item() : testing::appendix_ee_item(); }

HostItem thick_shell_jacket_item(int code)
{
    testing::JacketItem item = testing::half_pipe_item();
    item[20] = static_cast<float>(code);
    item[3] = 3;       // ts
    item[11] = 0.5f;   // Tj
    item[12] = 29900;  // Pj: just below what the thickest chart column allows
    return item;
}

HostItem coil_item(int code) { return code == 4 ? testing::en13445_item() : testing::limpet_coil_item(); }

bool item_named(std::string_view name, HostItem& item)
{
    struct Named {
        std::string_view name;
        HostItem (*make)();
    };
    static constexpr Named kItems[] = {
        {"opening", opening_item},
        {"opening-viii2", opening_viii2_item},
        {"opening-50", opening_all_passes_item},
        {"jacket-1", [] { return jacket_item(1); }},
        {"jacket-2", [] { return jacket_item(2); }},
        {"jacket-thick-1", [] { return thick_shell_jacket_item(1); }},
        {"jacket-thick-2", [] { return thick_shell_jacket_item(2); }},
        {"coil-3", [] { return coil_item(3); }},
        {"coil-4", [] { return coil_item(4); }},
    };
    for (const Named& n : kItems)
        if (n.name == name) {
            item = n.make();
            return true;
        }
    return false;
}

}  // namespace tx14::bench
