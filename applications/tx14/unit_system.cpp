// Unit files: their reading and writing, and the `units` of items.
#include "unit_system.hpp"

#include <algorithm>
#include <charconv>

#include "escape.hpp"
#include "toml_reading.hpp"
#include "txappendix14_text.hpp"

namespace tx14::cli {
namespace {

std::string shortest(double v)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, end);
    if (s.find_first_of(".en") == std::string::npos)
        s += ".0";  // a TOML float, not an integer
    return s;
}

void read_factors(const toml::node& node, const std::string& file, UnitSystem& u, Diagnostics& diags)
{
    const toml::array* arr = node.as_array();
    if (arr == nullptr || arr->size() != kFactorCount) {
        diags.push_back({position_of(file, node.source()), "\"factors\" must be an array of 22 numbers"});
        return;
    }
    for (std::size_t i = 0; i < arr->size(); ++i) {
        const toml::node& f = *arr->get(i);
        std::optional<double> v = f.value<double>();
        int slot = static_cast<int>(i) + 1;
        if (!f.is_number() || !v) {
            diags.push_back(
                {position_of(file, f.source()),
                 "factor " + std::to_string(slot) + " must be a number, found " + std::string(type_name(f))});
        } else {
            u.factors[i] = *v;
        }
    }
}

void read_labels(const toml::node& node, const std::string& file, UnitSystem& u, Diagnostics& diags)
{
    const toml::array* arr = node.as_array();
    if (arr == nullptr || arr->size() != kLabelCount) {
        diags.push_back({position_of(file, node.source()), "\"labels\" must be an array of 23 texts"});
        return;
    }
    for (std::size_t i = 0; i < arr->size(); ++i) {
        const toml::node& l = *arr->get(i);
        std::string n = std::to_string(i + 1);
        std::string problem;
        if (!l.is_string()) {
            diags.push_back(
                {position_of(file, l.source()), "label " + n + " must be a text, found " + std::string(type_name(l))});
        } else if (auto text = to_cp1252(**l.as_string(), problem); !text) {
            diags.push_back({position_of(file, l.source()), "label " + n + ": " + problem});
        } else {
            u.labels[i] = *text;
        }
    }
}

}  // namespace

std::optional<UnitSystem> load_unit_file(const std::filesystem::path& file, Diagnostics& diags)
{
    std::size_t before = diags.size();
    std::optional<toml::table> table = parse_toml_file(file, diags);
    if (!table)
        return std::nullopt;
    const std::string name = file.string();
    UnitSystem u;
    u.name = name;
    for (auto [key, value] : in_file_order(*table)) {
        if (*key == "factors")
            read_factors(*value, name, u, diags);
        else if (*key == "labels")
            read_labels(*value, name, u, diags);
        else
            diags.push_back({position_of(name, key->source()), "unknown key \"" + std::string(key->str()) +
                                                                   "\"; a unit file holds \"factors\" and \"labels\""});
    }
    for (std::string_view key : {"factors", "labels"})
        if (!table->contains(key))
            diags.push_back({{name}, "missing key \"" + std::string(key) + "\""});
    if (diags.size() == before)
        for (const UnitProblem& p : unit_problems(u.factors, u.labels)) {
            const toml::array* arr = (*table)[p.factor ? "factors" : "labels"].as_array();
            const int n = p.factor ? p.factor : p.label;
            diags.push_back(
                {n && arr ? position_of(name, arr->get(static_cast<std::size_t>(n - 1))->source()) : Position{name},
                 p.message});
        }
    if (diags.size() != before)
        return std::nullopt;
    return u;
}

std::string unit_file_text(const UnitSystem& u)
{
    std::string s = "# Unit system " + text::terminal(u.name) +
                    ": factor n converts a value from the library's internal units\n"
                    "# (in., lbf, psi, degrees F; moments in ft-lbf) into display units;\n"
                    "# temperatures are T * factor 7 + factor 8. Labels: at most 10 characters.\n"
                    "factors = [\n";
    for (std::size_t i = 0; i < u.factors.size(); ++i) {
        std::string value = "  " + shortest(u.factors[i]) + ",";
        value.resize(std::max<std::size_t>(value.size(), 26), ' ');
        s += value + "# " + std::to_string(i + 1) + " " + std::string(slot_meaning(static_cast<int>(i) + 1)) + "\n";
    }
    s += "]\nlabels = [\n";
    for (std::size_t i = 0; i < u.labels.size(); ++i) {
        const std::string utf8 = to_utf8(u.labels[i]), label = text::json_string(utf8);   // a TOML basic string too
        const std::size_t width = u.labels[i].size() + (label.size() - utf8.size()) + 3;  // characters of `  "label",`
        s += "  " + label + "," + std::string(width < 16 ? 16 - width : 1, ' ') + "# " + std::to_string(i + 1) + " " +
             std::string(slot_meaning(static_cast<int>(i) + 1)) + "\n";
    }
    return s + "]\n";
}

UnitCatalog::Files::iterator UnitCatalog::loaded(std::filesystem::path file, Diagnostics& diags)
{
    auto [it, added] = files_.try_emplace(std::move(file));
    if (added) {
        order_.push_back(it->first);
        if (refusal_ && (it->second.refused = refusal_(it->first)))
            return it;
        Diagnostics own;
        if (std::optional<UnitSystem> u = load_unit_file(it->first, own))
            it->second.units = std::make_shared<const UnitSystem>(std::move(*u));
        diags.insert(diags.end(), own.begin(), own.end());
    }
    return it;
}

void UnitCatalog::load(std::string_view name, const std::filesystem::path& base_dir, Diagnostics& diags)
{
    if (builtin_units(name))
        return;
    std::filesystem::path file = base_dir / std::filesystem::path(name);
    const std::lock_guard<std::mutex> hold(mutex_);
    loaded(std::move(file), diags);
}

std::shared_ptr<const UnitSystem> UnitCatalog::resolve(std::string_view name, const std::filesystem::path& base_dir,
                                                       const Position& where, Diagnostics& diags)
{
    if (const UnitSystem* builtin = builtin_units(name))
        return std::shared_ptr<const UnitSystem>(std::shared_ptr<const UnitSystem>(), builtin);
    std::filesystem::path file = base_dir / std::filesystem::path(name);
    File found;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        found = loaded(std::move(file), diags)->second;
    }
    if (found.refused)
        diags.push_back({where, "units \"" + std::string(name) + "\": " + *found.refused});
    else if (!found.units)
        diags.push_back(
            {where, "units \"" + std::string(name) + "\": expected \"US\", \"SI\" or a readable unit file"});
    return found.units;
}

std::vector<std::filesystem::path> UnitCatalog::files()
{
    const std::lock_guard<std::mutex> hold(mutex_);
    return order_;
}

}  // namespace tx14::cli
