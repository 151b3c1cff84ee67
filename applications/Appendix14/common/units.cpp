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
    const std::array<char, kUnitLabelWidth>& label = u.labels[static_cast<std::size_t>(n - 1)];
    if (label[0] != ' ') {  // as labels stand
        std::memcpy(slot.label.data(), label.data(), static_cast<std::size_t>(W));
        return;
    }
    std::size_t lead = 1;
    while (lead < label.size() && label[lead] == ' ')
        ++lead;
    for (std::size_t j = 0; j < static_cast<std::size_t>(W); ++j)
        slot.label[j] = j + lead < label.size() ? label[j + lead] : ' ';
}

}  // namespace

void take_over_units(UnitRecord& u, const float* factors, const char* labels)
{
    static_assert(sizeof u.factors == kUnitFactors * sizeof(float) &&
                  sizeof u.labels == kUnitLabels * kUnitLabelWidth);  // the host's arrays, as they lie
    if (factors)
        std::memcpy(u.factors.data(), factors, sizeof u.factors);
    else
        u.factors.fill(1.0f);
    if (labels)
        std::memcpy(u.labels.data(), labels, sizeof u.labels);
    else
        std::memset(u.labels.data(), ' ', sizeof u.labels);

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
