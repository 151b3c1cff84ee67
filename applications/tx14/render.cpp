// Terminal text, JSON and result values of an analysed item.
#include "render.hpp"

#include <charconv>
#include <cmath>

#include "cp1252.hpp"
#include "escape.hpp"

namespace tx14::cli {
namespace {

// How a style code shows on a terminal (the calculation sheet has its own
// classes for them). The codes mark titles (1st), underlined lines (2nd), the warning headline
// (3rd), notes (4th), warnings (5th) and captions (6th: 1 a quantity, 2 a
// result).
struct Look {
    std::size_t code;  // 0-based position among the six
    int value;         // 0: any nonzero value
    std::string_view sgr;
};

constexpr Look kLooks[] = {
    {0, 0, "1"}, {1, 0, "4"}, {2, 0, "1"}, {3, 0, "2;3"}, {4, 0, "31"}, {5, 1, "36"}, {5, 2, "32"},
};

template <typename F>
void for_each_look(const Styles& styles, F f)
{
    for (const Look& look : kLooks) {
        int v = styles[look.code];
        if (look.value == 0 ? v != 0 : v == look.value)
            f(look);
    }
}

std::string report_text(const ReportLine& line) { return to_utf8(line.text, F8::theta); }

std::string_view kind_name(const Item& item) { return item.keys().name; }

}  // namespace

std::string terminal_text(const std::vector<ReportLine>& lines, bool ansi)
{
    std::string out;
    for (const ReportLine& line : lines) {
        std::string sgr;
        if (ansi)
            for_each_look(line.styles, [&](const Look& l) { sgr += (sgr.empty() ? "" : ";") + std::string(l.sgr); });
        if (!sgr.empty() && !line.text.empty())
            out += "\x1b[" + sgr + "m" + report_text(line) + "\x1b[0m\n";
        else
            out += report_text(line) + "\n";
    }
    return out;
}

std::optional<float> shown_result(const Item& item, std::size_t index, const Outcome& outcome)
{
    const auto& result = outcome.results[index];
    if (!result)
        return std::nullopt;
    const float shown = item.units->to_display(item.keys().results[index].quantity, *result);
    return std::isfinite(shown) ? std::optional<float>(shown) : std::nullopt;
}

std::string result_text(const Item& item, std::size_t index, const Outcome& outcome)
{
    const std::optional<float> shown = shown_result(item, index, outcome);
    return shown ? shortest_text(*shown) : std::string();
}

// The keys of the item as given, numbers in the item's units with theirs.
nlohmann::ordered_json item_json(const Item& item)
{
    nlohmann::ordered_json j;
    j["kind"] = kind_name(item);
    j["code"] = item.code;
    j["units"] = item.units->name;
    if (item.number)
        j["item"] = *item.number;
    for (const TextKey& k : item.keys().texts)
        if (std::string text = text_field(item, k.name); !text.empty())
            j[std::string(k.name)] = text;
    for (const NumberKey& k : item.keys().numbers) {
        const float v = item.element(k.element);
        if (v != items::kMissingValue)
            j[std::string(k.name)] = {{"value", json_number(item.units->to_display(k.quantity, v))},
                                      {"unit", to_utf8(item.units->label(k.quantity))}};
    }
    return j;
}

nlohmann::ordered_json json_of(const Item& item, const Outcome& outcome)
{
    nlohmann::ordered_json j;
    j["schema_version"] = 2;
    j["input"] = text::valid_utf8(item.source);  // a file name need not be UTF-8
    j["kind"] = kind_name(item);
    j["code"] = item.code;
    j["units"] = item.units->name;
    j["item"] = item_json(item);
    j["fatal_errors"] = outcome.fatal_errors;
    nlohmann::ordered_json results = nlohmann::ordered_json::object(), units = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < item.keys().results.size(); ++i) {
        const ResultKey& r = item.keys().results[i];
        std::string text = result_text(item, i, outcome);
        double v = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        bool number = !text.empty() && ec == std::errc() && std::isfinite(v);
        results[std::string(r.name)] = number ? nlohmann::ordered_json(v) : nlohmann::ordered_json(nullptr);
        units[std::string(r.name)] = to_utf8(item.units->label(r.quantity));
    }
    j["results"] = results;
    j["result_units"] = units;
    add_record_json(j, outcome.record);
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    for (const ReportLine& line : outcome.lines)
        report.push_back({{"text", report_text(line)}, {"styles", line.styles}});
    j["report"] = report;
    return j;
}

std::string json_text(const nlohmann::ordered_json& j, int indent)
{
    return j.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string text_field(const Item& item, std::string_view key)
{
    for (const TextKey& k : item.keys().texts) {
        if (k.name != key)
            continue;
        std::string_view f(item.texts.data() + (k.field - 1) * kTextWidth, kTextWidth);
        while (!f.empty() && f.back() == ' ')
            f.remove_suffix(1);
        return to_utf8(f);
    }
    return {};
}

}  // namespace tx14::cli
