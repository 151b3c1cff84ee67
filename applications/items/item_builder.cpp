// Building the library's arrays from the given values of an item: the
// conversion of each value, then the rules of the item as a whole (pipe
// size, required keys, warnings).
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "items.hpp"
#include "txappendix14.hpp"

namespace tx14::items {
namespace {

// ISO designations of the nominal pipe sizes: DN, NPS.
constexpr std::pair<int, double> kDesignations[] = {
    {15, 0.5},   {25, 1.0},   {40, 1.5},   {50, 2.0},   {65, 2.5},   {80, 3.0},   {90, 3.5},   {100, 4.0},  {125, 5.0},
    {150, 6.0},  {200, 8.0},  {250, 10.0}, {300, 12.0}, {350, 14.0}, {400, 16.0}, {450, 18.0}, {500, 20.0}, {550, 22.0},
    {600, 24.0}, {650, 26.0}, {700, 28.0}, {750, 30.0}, {800, 32.0}, {850, 34.0}, {900, 36.0},
};

std::string quoted(std::string_view key) { return "key \"" + std::string(key) + "\""; }

// A value as typed in a message: 76.2, not 76.200000000000003.
std::string shown(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string designation_of(double NPS)
{
    for (auto [DN, size] : kDesignations)
        if (size == NPS)
            return " or DN = " + std::to_string(DN);
    return {};
}

}  // namespace

// The library holds pipe data for NPS 2 to 4; VIII-2 rates the whole
// sizes alone.
bool valid_size(int code, double NPS)
{
    if (code == 2)
        return NPS == 2.0 || NPS == 3.0 || NPS == 4.0;
    return NPS >= 2.0 && NPS <= 4.0 && std::fmod(NPS, 0.5) == 0.0;
}

std::string valid_sizes(int code)
{
    if (code == 2)
        return "2, 3 or 4";
    return "2, 2.5, 3, 3.5, 4";
}

std::optional<double> size_of_designation(double DN)
{
    for (auto [designation, size] : kDesignations)
        if (designation == DN)
            return size;
    return std::nullopt;
}

ItemBuilder::ItemBuilder(const KindKeys& keys, const CodeName& code, const UnitSystem& units)
    : keys_(keys), code_(code), units_(units), NPS_key_(number_key(keys, "NPS"))
{
    out_.reals.fill(0.0f);
    out_.texts.fill(' ');
    out_.reals[kItemElement - 1] = kMissingValue;
    for (const NumberKey& k : keys.numbers)
        out_.reals[static_cast<std::size_t>(k.element - 1)] = kMissingValue;
    out_.reals[kKindElement - 1] = keys.kind_element;
    out_.reals[static_cast<std::size_t>(keys.code_element - 1)] = static_cast<float>(code.number);
}

bool ItemBuilder::is_number_key(std::string_view key) const
{
    return number_key(keys_, key) != nullptr || (key == kDesignationKey && NPS_key_);
}

bool ItemBuilder::is_text_key(std::string_view key) const { return text_key(keys_, key) != nullptr; }

void ItemBuilder::error(std::string_view key, std::string message)
{
    out_.errors.push_back({std::string(key), std::move(message)});
}

void ItemBuilder::item_number(double n)
{
    if (n != std::trunc(n) || std::fabs(n) > static_cast<double>(kLargestItem)) {
        error("item", "key \"item\": expected a whole number from -16777216 to 16777216");
        return;
    }
    out_.reals[kItemElement - 1] = static_cast<float>(n);
}

void ItemBuilder::number(std::string_view key, double value)
{
    if (const NumberKey* k = number_key(keys_, key))
        number(*k, value);
    else if (!std::isfinite(value))
        error(key, quoted(key) + ": the value is not finite; expected a finite number");
    else if (key == kDesignationKey && NPS_key_)
        DN_ = value;
    else
        error(key, "unknown key \"" + std::string(key) + "\"; valid keys: " + key_list(keys_));
}

void ItemBuilder::number(const NumberKey& k, double value)
{
    named_ |= std::uint64_t{1} << (&k - keys_.numbers.data());  // refused, it is not missing as well
    if (!std::isfinite(value)) {
        error(k.name, quoted(k.name) + ": the value is not finite; expected a finite number");
        return;
    }
    if (&k == NPS_key_)
        NPS_ = value;
    std::optional<float> internal = units_.to_internal(k.quantity, value);
    if (!internal) {
        error(k.name, quoted(k.name) + ": the value in internal units is out of the single-precision range");
        return;
    }
    out_.reals[static_cast<std::size_t>(k.element - 1)] = *internal;
    typed_[static_cast<std::size_t>(&k - keys_.numbers.data())] = value;
    given_ |= std::uint64_t{1} << (&k - keys_.numbers.data());
}

void ItemBuilder::text(std::string_view key, std::string_view cp1252)
{
    if (const TextKey* k = text_key(keys_, key))
        text(*k, cp1252);
    else
        error(key, "unknown key \"" + std::string(key) + "\"; valid keys: " + key_list(keys_));
}

void ItemBuilder::text(const TextKey& k, std::string_view cp1252)
{
    if (cp1252.size() > kTextWidth)
        error(k.name, quoted(k.name) + ": text longer than 15 characters (" + std::to_string(cp1252.size()) + ")");
    else
        std::memcpy(out_.texts.data() + (k.field - 1) * kTextWidth, cp1252.data(), cp1252.size());
}

std::optional<float> ItemBuilder::given(const NumberKey& k) const
{
    if (!(given_ >> (&k - keys_.numbers.data()) & 1u))
        return std::nullopt;
    return out_.reals[static_cast<std::size_t>(k.element - 1)];
}

std::optional<float> ItemBuilder::given(std::string_view key) const
{
    const NumberKey* k = number_key(keys_, key);
    return k ? given(*k) : std::nullopt;
}

// NPS is a designation in every unit system; DN may stand in for it.
void ItemBuilder::pipe_size()
{
    if (!NPS_ && !DN_)
        return;
    const int code = code_.number;
    if (NPS_ && DN_) {
        error("DN", "keys \"NPS\" and \"DN\" both given; give one of them");
        return;
    }
    double NPS = 0.0;
    if (DN_) {
        std::optional<double> size = size_of_designation(*DN_);
        if (!size || !valid_size(code, *size)) {
            std::string valid;
            for (auto [DN, s] : kDesignations)
                if (valid_size(code, s))
                    valid += (valid.empty() ? "" : ", ") + std::to_string(DN);
            error("DN", "key \"DN\": " + shown(*DN_) + " is not a valid pipe size designation for code " +
                            std::string(code_.name) + "; expected one of " + valid);
            return;
        }
        NPS = *size;
    } else {
        NPS = *NPS_;
        const double f = units_.factor(slot_of(Quantity::diameter));  // the old way: NPS in mm
        const double size = std::round(NPS / f * 2.0) / 2.0;
        if (!valid_size(code, NPS) && f != 1.0 && valid_size(code, size) &&
            static_cast<float>(size * f) == static_cast<float>(NPS)) {
            error("NPS", "key \"NPS\": " + shown(NPS) + " is a pipe size in " + units_.unit_name(Quantity::diameter) +
                             "; NPS is the designation in every unit system: write NPS = " + shown(size) +
                             designation_of(size));
            return;
        }
        const bool formed = given("r") && *given("r") > 0.01f;  // the library sizes it from r
        if (!valid_size(code, NPS) && !formed) {
            if (code == 2)
                error("NPS", "key \"NPS\": " + shown(NPS) + " is not a valid nominal pipe size for code " +
                                 std::string(code_.name) + "; expected " + valid_sizes(code));
            else
                error("NPS", "key \"NPS\": " + shown(NPS) + " is not in the pipe table (" + valid_sizes(code) +
                                 "); give r, the jacket's formed inside radius, for another size");
            return;
        }
    }
    out_.reals[static_cast<std::size_t>(NPS_key_->element - 1)] = static_cast<float>(NPS);
    given_ |= std::uint64_t{1} << (NPS_key_ - keys_.numbers.data());
}

void ItemBuilder::required_keys()
{
    const CodeSet code = 1u << code_.number;
    for (const NumberKey& k : keys_.numbers) {
        if (!(k.required & code) || given(k) || (named_ >> (&k - keys_.numbers.data()) & 1u))
            continue;
        if (&k == NPS_key_ && (DN_ || given("r").value_or(0.0f) > 0.01f))
            continue;  // by its designation, or a formed jacket by its radius
        std::string unit = units_.unit_name(k.quantity);
        error(k.name, "missing key \"" + std::string(k.name) + "\" (" + std::string(k.meaning) +
                          (unit.empty() ? "" : ", unit " + unit) + ")" +
                          (k.instead.empty() ? "" : "; or give " + std::string(k.instead)) + ": required for code " +
                          std::string(code_.name));
    }
}

// Inputs that describe no component that can exist, refused before the
// library sees them (the library refuses them too, as the host's backstop).
void ItemBuilder::input_domain()
{
    auto refuse = [&](const NumberKey& k, const std::string& why) {
        error(k.name, quoted(k.name) + ": " + shown(typed_[&k - keys_.numbers.data()]) + " " + why);
    };
    for (const NumberKey& k : keys_.numbers) {
        const std::optional<float> v = given(k);
        if (!v)
            continue;
        if (k.name == "ca" || k.name == "caj" || k.name == "co") {
            if (*v < 0.0f)
                refuse(k, "is negative; a corrosion allowance is 0 or more");
        } else if (k.name == "S" || k.name == "Sj" || k.name == "Sho") {
            if (!(*v > 0.0f))
                refuse(k, "is not above 0; an allowable stress is greater than 0");
        } else if (k.name == "E") {
            if (!(*v > 0.0f && *v <= 1.0f))
                refuse(k, "is outside (0, 1]: the joint efficiency is a fraction; write 0.85 for 85 %");
        }
    }
    if (keys_.kind == Kind::opening)
        opening_fits();
}

// The opening with its nozzle hub must lie inside the shell: R, from the
// load reaction to the hub, as the library computes it.
void ItemBuilder::opening_fits()
{
    auto value = [&](std::string_view key) { return given(key).value_or(0.0f); };
    if (!given("A") || !given("Bn") || !given("g0s"))
        return;  // missing: said already
    const float R =
        opening_radial_distance(value("A"), value("Bn"), value("g0s"), value("ca"), value("g0n"), value("g1n"));
    if (R > 0.0f)
        return;
    const bool nozzle = value("g0n") > 0.001f || value("g1n") > 0.001f;
    error("Bn", std::string("key \"Bn\": the opening") + (nozzle ? " and its nozzle hub do" : " does") +
                    " not fit inside the shell: R = 0.5 (G - Bn - 2 ca)" + (nozzle ? " - (g1n - ca)" : "") + " = " +
                    shown(units_.to_display(Quantity::diameter, R)) + " " + units_.unit_name(Quantity::diameter) +
                    " is not above 0, with G = A - 2 g0s + 2 ca");
}

// Values the library accepts but that most likely are not what was meant.
void ItemBuilder::warnings()
{
    auto warn = [&](std::string_view key, const std::string& message) {
        out_.warnings.push_back({std::string(key), quoted(key) + ": " + message});
    };
    for (std::string_view key : {"Sa", "Sja", "Shg"})  // ambient allowables: the report echoes them only
        if (std::optional<float> S = given(key); S && !(*S > 0.0f))
            warn(key, "an allowable stress not above 0");
    if (std::optional<float> Pj = given("Pj"); Pj && *Pj < 0.0f)
        warn("Pj", "a negative jacket (coil) pressure");
}

Built ItemBuilder::finish()
{
    pipe_size();
    required_keys();
    if (out_.errors.empty())
        input_domain();
    if (out_.errors.empty())
        warnings();
    return std::move(out_);
}

namespace {
// A quiet NaN with a payload no calculation produces.
constexpr std::uint32_t kNotWrittenBits = 0x7FC0A14Eu;
}  // namespace

void mark_results(const KindKeys& keys, float* reals)
{
    for (const ResultKey& r : keys.results)
        reals[r.element - 1] = std::bit_cast<float>(kNotWrittenBits);
}

std::array<std::optional<float>, 3> read_results(const KindKeys& keys, const float* reals)
{
    // A coil (code selector 3 or 4) sizes no fillet weld: its 0 there is no result.
    const bool coil = keys.kind == Kind::jacket && reals[keys.code_element - 1] >= 3.0f;
    std::array<std::optional<float>, 3> results;
    for (std::size_t i = 0; i < keys.results.size() && i < results.size(); ++i) {
        float v = reals[keys.results[i].element - 1];
        if (std::bit_cast<std::uint32_t>(v) != kNotWrittenBits && !(coil && keys.results[i].name == "fillet_weld"))
            results[i] = v;
    }
    return results;
}

}  // namespace tx14::items
