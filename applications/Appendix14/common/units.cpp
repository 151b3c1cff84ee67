// Taking over the host's unit system at the start of every call.
#include "units.hpp"

#include <cstring>

#include "../report/text.hpp"

namespace tx14 {
namespace {

// Label n (from 1), left-adjusted within its 10 characters, cut to W.
template <int W>
void fill_slot(UnitSlot<W>& slot, const UnitRecord& u, int n)
{
    slot.factor = u.factors[static_cast<std::size_t>(n - 1)];
    std::array<char, kUnitLabelWidth> label = u.labels[static_cast<std::size_t>(n - 1)];
    adjust_left(label);
    std::memcpy(slot.label.data(), label.data(), static_cast<std::size_t>(W));
}

}  // namespace

void take_over_units(UnitRecord& u, const float* factors, const char* labels)
{
    for (int i = 0; i < kUnitFactors; ++i)
        u.factors[static_cast<std::size_t>(i)] = factors ? factors[i] : 1.0f;
    for (int i = 0; i < kUnitLabels; ++i)
        copy_text(u.labels[static_cast<std::size_t>(i)], labels ? labels + i * kUnitLabelWidth : nullptr,
                  kUnitLabelWidth);

    fill_slot(u.length, u, 1);
    fill_slot(u.force, u, 2);
    fill_slot(u.moment, u, 5);
    fill_slot(u.stress, u, 6);
    fill_slot(u.temperature_scale, u, 7);
    fill_slot(u.temperature_offset, u, 8);
    fill_slot(u.pressure, u, 9);
    fill_slot(u.diameter, u, 21);
    fill_slot(u.thickness, u, 22);

    blank(u.temperature_label);
    u.temperature_label[0] = '\xB0';  // degree sign
    u.temperature_label[1] = u.temperature_scale.label[0];
}

}  // namespace tx14
