// Terminal text, HTML page, JSON and result values of an analysed item.
#include "render.hpp"

#include <charconv>
#include <cmath>

#include "cp1252.hpp"

namespace tx14::cli {
namespace {

// How a style code shows: a terminal attribute and an HTML class. The
// codes mark titles (1st), underlined lines (2nd), the warning headline
// (3rd), notes (4th), warnings (5th) and captions (6th: 1 a quantity, 2 a
// result).
struct Look {
    std::size_t code;   // 0-based position among the six
    int value;          // 0: any nonzero value
    std::string_view sgr;
    std::string_view css_class;
};

constexpr Look kLooks[] = {
    {0, 0, "1", "title"},   {1, 0, "4", "underline"}, {2, 0, "1", "headline"},
    {3, 0, "2;3", "note"},  {4, 0, "31", "warning"},  {5, 1, "36", "caption"},
    {5, 2, "32", "result"},
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

std::string html_escaped(std::string_view s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
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

std::string_view kind_name(const Item& item) { return item.keys().name; }

constexpr std::string_view kPageStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 2em auto; max-width: 60em;
       color: #1a1a1a; background: #ffffff; }
h1 { font-size: 1.4em; margin-bottom: 0.2em; }
p.meta { color: #555555; margin-top: 0; }
table.results { border-collapse: collapse; margin: 1em 0; }
table.results th, table.results td { border: 1px solid #cccccc; padding: 0.3em 0.8em; text-align: left; }
table.results td.value { text-align: right; font-family: "DejaVu Sans Mono", monospace; }
pre.report { font-family: "DejaVu Sans Mono", "Courier New", monospace; font-size: 13px;
             line-height: 1.35; background: #f7f7f4; border: 1px solid #dddddd;
             padding: 1em 1.2em; overflow-x: auto; }
.title { font-weight: bold; color: #0b3d66; }
.headline { font-weight: bold; }
.underline { text-decoration: underline; }
.caption { color: #005f87; }
.result { color: #1b6e2a; font-weight: 600; }
.note { font-style: italic; color: #666666; }
.warning { color: #b00020; font-weight: bold; }
pre.verdict { font-weight: bold; border-left: 4px solid #1a1a1a; padding-left: 0.8em; }
)";

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

std::string result_text(const Item& item, std::size_t index, const Outcome& outcome)
{
    const auto& result = outcome.results[index];
    if (!result)
        return {};
    const float shown = item.units->to_display(item.keys().results[index].quantity, *result);
    return std::isfinite(shown) ? shortest_text(shown) : std::string();
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
    j["schema_version"] = 1;
    j["input"] = item.source;
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

std::string html_page(const Item& item, const Outcome& outcome)
{
    std::string description = text_field(item, "description");
    std::string heading = description.empty() ? item.source : description;
    std::string meta = std::string(kind_name(item)) + " · " + item.code + " · units " +
                       item.units->name;
    if (item.number)
        meta += " · item " + std::to_string(*item.number);
    meta += " · " + item.source;

    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                       html_escaped(heading) + "</title>\n<style>" + std::string(kPageStyle) +
                       "</style>\n</head>\n<body>\n<h1>" + html_escaped(heading) +
                       "</h1>\n<p class=\"meta\">" + html_escaped(meta) + "</p>\n";

    page += "<pre class=\"verdict\">" +
            html_escaped(verdict_block(outcome.record, outcome.fatal_errors, false, false)) +
            "</pre>\n<table class=\"results\">\n";
    for (std::size_t i = 0; i < item.keys().results.size(); ++i) {
        const ResultKey& r = item.keys().results[i];
        std::string value = result_text(item, i, outcome);
        std::string name(r.name);
        for (char& c : name)
            c = c == '_' ? ' ' : c;
        page += "<tr><th>" + name + "</th><td class=\"value\">" +
                (value.empty() ? std::string("not computed")
                               : html_escaped(value + " " + to_utf8(item.units->label(r.quantity)))) +
                "</td></tr>\n";
    }
    page += "<tr><th>fatal input errors</th><td class=\"value\">" +
            std::to_string(outcome.fatal_errors) + "</td></tr>\n</table>\n<pre class=\"report\">";

    for (const ReportLine& line : outcome.lines) {
        std::string classes;
        for_each_look(line.styles, [&](const Look& l) { classes += (classes.empty() ? "" : " ") + std::string(l.css_class); });
        std::string text = html_escaped(report_text(line));
        if (classes.empty() || text.empty())
            page += text + "\n";
        else
            page += "<span class=\"" + classes + "\">" + text + "</span>\n";
    }
    return page + "</pre>\n</body>\n</html>\n";
}

}  // namespace tx14::cli
