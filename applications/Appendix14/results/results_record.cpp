// The results record: values and checks as a run adds them, the display
// units, the verdict and the governing check.
#include "results_record.hpp"

#include <cmath>
#include <string_view>

#include "../common/units.hpp"

namespace tx14 {
namespace {

constexpr const char* kQuantityNames[kQuantities] = {
    "length", "force", "area", "volume", "moment", "stress", "temperature", "pressure",
    "mass", "density", "diameter", "thickness", "dimensionless", "per_thickness",
};

// A slot's label without the blanks that pad it, then `suffix`.
void set_unit(ResultsRecord& rec, Quantity q, float factor, std::string_view label,
              std::string_view suffix = {})
{
    while (!label.empty() && (label.back() == ' ' || label.back() == '\0'))
        label.remove_suffix(1);
    while (!label.empty() && label.front() == ' ')
        label.remove_prefix(1);
    auto& out = rec.units[static_cast<int>(q)];
    std::size_t n = 0;
    for (char c : label)
        out[n++] = c;
    for (char c : suffix)
        out[n++] = c;
    out[n] = '\0';
    rec.factors[static_cast<int>(q)] = factor;
}

bool finite(float v) { return std::isfinite(v); }

// Failing checks before passing ones; then the higher utilization, an
// undefined one counting as the highest.
bool governs_over(const RecordedCheck& a, const RecordedCheck& b)
{
    if (a.passes != b.passes)
        return !a.passes;
    const float ua = finite(a.utilization) ? a.utilization : INFINITY;
    const float ub = finite(b.utilization) ? b.utilization : INFINITY;
    return ua > ub;
}

}  // namespace

const char* quantity_name(Quantity q) { return kQuantityNames[static_cast<int>(q)]; }

void ResultsRecord::add(const char* key, const char* label, Quantity q, float value)
{
    if (value_count < kValueCapacity)
        values[value_count++] = {key, label, q, value};
}

void ResultsRecord::check(const char* key, const char* label, Quantity q, float value,
                          const char* relation, float limit)
{
    if (check_count == kCheckCapacity)
        return;
    RecordedCheck& c = checks[check_count++];
    c = {key, label, q, relation[0] == '>', value, limit, false, NAN};
    const float v = std::fabs(value), l = std::fabs(limit);
    const float divisor = c.at_least ? v : l;
    if (!finite(v) || !finite(l) || divisor == 0.0f)
        return;  // fails, without a utilization
    c.utilization = c.at_least ? l / v : v / l;
    c.passes = c.at_least ? v >= l : v <= l;
}

void ResultsRecord::finish(const UnitRecord& u)
{
    const float ft = u.thickness.factor;
    const std::string_view thickness = u.thickness.text();
    set_unit(*this, Quantity::length, u.length.factor, u.length.text());
    set_unit(*this, Quantity::force, u.force.factor, u.force.text());
    set_unit(*this, Quantity::moment, u.moment.factor, u.moment.text());
    set_unit(*this, Quantity::stress, u.stress.factor, u.stress.text());
    set_unit(*this, Quantity::pressure, u.pressure.factor, u.pressure.text());
    set_unit(*this, Quantity::diameter, u.diameter.factor, u.diameter.text());
    set_unit(*this, Quantity::thickness, ft, thickness);
    set_unit(*this, Quantity::area, ft * ft, thickness, "\xB2");  // superscript two
    set_unit(*this, Quantity::volume, ft * ft * ft, thickness, "\xB3");
    set_unit(*this, Quantity::per_thickness, 1.0f / ft, thickness, "^-1");
    set_unit(*this, Quantity::temperature, u.temperature_scale.factor, u.temperature_text());
    temperature_offset = u.temperature_offset.factor;
    for (Quantity q : {Quantity::mass, Quantity::density, Quantity::dimensionless}) {
        factors[static_cast<int>(q)] = 1.0f;
        units[static_cast<int>(q)][0] = '\0';
    }

    // A check a value is missing for leaves the item not analysed.
    verdict = Verdict::acceptable;
    governing = -1;
    for (int i = 0; i < check_count; ++i) {
        const RecordedCheck& c = checks[i];
        if (!finite(c.value) || !finite(c.limit))
            verdict = Verdict::not_analysed;
        else if (!c.passes && verdict == Verdict::acceptable)
            verdict = Verdict::not_acceptable;
        if (governing < 0 || governs_over(c, checks[governing]))
            governing = i;
    }
    if (check_count == 0)
        verdict = Verdict::not_analysed;
}

float ResultsRecord::display(Quantity q, float value) const
{
    const float factor = factors[static_cast<int>(q)];
    if (q == Quantity::moment)
        return (value / 12.0f) * factor;  // as on a result line
    if (q == Quantity::temperature)
        return value * factor + temperature_offset;
    return value * factor;
}

}  // namespace tx14
