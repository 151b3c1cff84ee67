// The calculation sheet as one HTML document: header, verdict, checks, key
// values, sketch, plot, warnings and the native report, laid out for the
// screen and for print (A4 or Letter).
#include <cmath>
#include <cstdio>

#include "cp1252.hpp"
#include "escape.hpp"
#include "sheet.hpp"

namespace tx14::sheet {
namespace {

constexpr const char* kStyle = R"(
:root { color: #000; background: #fff; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt; margin: 1.5em auto;
       max-width: 48em; line-height: 1.3; }
h1 { font-size: 15pt; margin: 0 0 0.3em; }
h2 { font-size: 11.5pt; margin: 1.1em 0 0.4em; border-bottom: 1px solid #000; }
table { border-collapse: collapse; width: 100%; break-inside: avoid; }
th, td { border: 1px solid #777; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
th { background: #eee; font-weight: bold; }
td.n { text-align: right; font-family: "DejaVu Sans Mono", monospace; white-space: nowrap; }
table.header th { width: 11em; }
table.header td.hash { font-family: "DejaVu Sans Mono", monospace; font-size: 8pt; word-break: break-all; }
.verdict { border: 3px solid #000; padding: 0.5em 1em; margin: 1em 0; break-inside: avoid; }
.verdict.not-acceptable { border-width: 6px; border-style: double; }
.verdict.not-analysed { border-style: dashed; }
.verdict .word { font-size: 20pt; font-weight: bold; letter-spacing: 0.08em; margin: 0; }
.verdict p { margin: 0.2em 0; }
.bar { display: inline-block; width: 6em; height: 0.8em; border: 1px solid #000; vertical-align: middle;
       margin-right: 0.4em; background: #fff; }
.bar span { display: block; height: 100%; background: #555; }
.bar.over span { background: repeating-linear-gradient(45deg, #000 0 2px, #fff 2px 4px); }
tr.governing td { font-weight: bold; }
tr.fails td.result { font-weight: bold; text-decoration: underline; }
tr.inapplicable td { color: #555; font-style: italic; }
figure { margin: 1em 0; break-inside: avoid; text-align: center; }
figcaption { font-size: 9pt; font-style: italic; }
svg.figure { width: 100%; max-width: 40em; height: auto; }
svg .part { fill: #ccc; stroke: #000; stroke-width: 1.5; }
svg .weld { fill: #000; stroke: #000; }
svg .axis { stroke: #000; stroke-width: 0.8; stroke-dasharray: 12 3 2 3; fill: none; }
svg .break { stroke: #000; stroke-width: 1; stroke-dasharray: 4 2; }
svg .dim { stroke: #000; stroke-width: 0.8; }
svg .frame { stroke: #000; stroke-width: 1; }
svg .grid { stroke: #ccc; stroke-width: 0.5; }
svg .mark { stroke: #000; stroke-width: 1; stroke-dasharray: 6 4; }
svg .series { fill: none; stroke: #000; stroke-width: 2; }
svg .s1 { stroke-dasharray: 8 4; stroke: #444; }
svg .s2 { stroke-dasharray: 2 3; }
svg text { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 12px; fill: #000; }
svg text.tick, svg text.note, svg text.mark-label { font-size: 11px; }
svg text.note { font-style: italic; }
ul.warnings li { font-weight: bold; }
.report pre { font-family: "DejaVu Sans Mono", monospace; font-size: 7.6pt; line-height: 1.25; margin: 0;
              white-space: pre; break-inside: avoid; }
.report .title { font-weight: bold; }
.report .underline { text-decoration: underline; }
.report .headline, .report .warning { font-weight: bold; text-decoration: underline; }
.report .note { font-style: italic; }
.report .caption { font-weight: bold; color: #333; }
.report .result { font-weight: bold; }
@media print {
  body { margin: 0; max-width: none; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  h2 { break-after: avoid; }
}
)";

// The page box: size, margins, and the running header and footer.
std::string page_style(const Document& d)
{
    std::string head = "Item " + d.item + (d.description.empty() ? "" : " \xE2\x80\x94 " + d.description);
    return std::string("@page { size: ") + (d.paper == Paper::letter ? "letter" : "A4") +
           "; margin: 18mm 15mm 16mm 15mm;\n"
           "  @top-left { content: " +
           text::css_string(head) +
           "; font: 8pt \"DejaVu Sans\", sans-serif; }\n"
           "  @top-right { content: " +
           text::css_string(d.analysis) +
           "; font: 8pt \"DejaVu Sans\", sans-serif; }\n"
           "  @bottom-left { content: " +
           text::css_string(d.input_name + " \xC2\xB7 " + d.date_time) +
           "; font: 8pt \"DejaVu Sans\", sans-serif; }\n"
           "  @bottom-right { content: \"Page \" counter(page) \" of \" counter(pages); "
           "font: 8pt \"DejaVu Sans\", sans-serif; }\n}\n";
}

std::string row(const char* name, const std::string& value, const char* cls = nullptr)
{
    return std::string("<tr><th>") + name + "</th><td" + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" +
           text::html(value.empty() ? "\xE2\x80\x94" : value) + "</td></tr>\n";
}

std::string header(const Document& d)
{
    return "<header>\n<h1>" + text::html(d.analysis) + "</h1>\n<table class=\"header\">\n" +
           row("Code edition", d.edition) + row("Item", d.item) + row("Description", d.description) +
           row("Materials", d.materials) + row("Unit system", d.unit_system) + row("Date and time", d.date_time) +
           row("Library", d.library_version) + row("Input", d.input_name) + row("SHA-256", d.sha256, "hash") +
           "</table>\n</header>\n";
}

std::string percent(double utilization)
{
    return std::isfinite(utilization) ? significant(100 * utilization, 3) + " %" : "\xE2\x80\x94";
}

std::string verdict_banner(const Document& d)
{
    const char* cls = d.verdict == Verdict::acceptable       ? "acceptable"
                      : d.verdict == Verdict::not_acceptable ? "not-acceptable"
                                                             : "not-analysed";
    std::string out = std::string("<section class=\"verdict ") + cls + "\">\n<p class=\"word\">" +
                      verdict_words(d.verdict) + "</p>\n";
    if (d.governing >= 0 && d.governing < static_cast<int>(d.checks.size())) {
        const Check& g = d.checks[static_cast<std::size_t>(d.governing)];
        out += "<p>Governing check: " + text::html(g.label) + " (utilization " + percent(g.utilization) + ")</p>\n";
    } else if (d.verdict == Verdict::not_analysed) {
        for (const std::string& r : d.reasons)
            out += "<p>" + text::html(r) + "</p>\n";
    }
    return out + "</section>\n";
}

std::string checks_table(const Document& d)
{
    if (d.checks.empty())
        return {};
    std::string out =
        "<section>\n<h2>Checks</h2>\n<table class=\"checks\">\n<tr><th>Check</th><th>Value</th>"
        "<th></th><th>Limit</th><th>Unit</th><th>Utilization</th><th>Result</th></tr>\n";
    for (std::size_t i = 0; i < d.checks.size(); ++i) {
        const Check& c = d.checks[i];
        if (!c.applicable) {
            out += "<tr class=\"inapplicable\"><td>" + text::html(c.label) +
                   "</td><td class=\"n\">n/a</td><td></td><td class=\"n\">" + significant(c.limit) + "</td><td>" +
                   text::html(c.unit) + "</td><td class=\"n\">n/a</td><td class=\"result\">n/a</td></tr>\n";
            continue;
        }
        double u = std::isfinite(c.utilization) ? c.utilization : 0;
        std::string cls =
            std::string(c.passes ? "passes" : "fails") + (static_cast<int>(i) == d.governing ? " governing" : "");
        out += "<tr class=\"" + cls + "\"><td>" + text::html(c.label) + "</td><td class=\"n\">" + significant(c.value) +
               "</td><td>" + (c.at_least ? "\xE2\x89\xA5" : "\xE2\x89\xA4") + "</td><td class=\"n\">" +
               significant(c.limit) + "</td><td>" + text::html(c.unit) + "</td><td class=\"n\"><span class=\"bar" +
               (u > 1 ? " over" : "") +
               "\"><span style=\"width:" + significant(std::min(std::max(u, 0.0), 1.0) * 100, 4) +
               "%\"></span></span>" + percent(c.utilization) + "</td><td class=\"result\">" +
               (c.passes ? "passes" : "FAILS") + "</td></tr>\n";
    }
    return out + "</table>\n</section>\n";
}

std::string values_table(const Document& d)
{
    if (d.values.empty())
        return {};
    std::string out =
        "<section>\n<h2>Key values</h2>\n<table class=\"values\">\n"
        "<tr><th>Quantity</th><th>Value</th><th>Unit</th></tr>\n";
    for (const KeyValue& v : d.values)
        out += "<tr><td>" + text::html(v.label) + "</td><td class=\"n\">" + significant(v.value) + "</td><td>" +
               text::html(v.unit) + "</td></tr>\n";
    return out + "</table>\n</section>\n";
}

std::string figures(const Document& d)
{
    std::string out = "<section>\n<h2>Sketch and plot</h2>\n<figure class=\"sketch\">\n" + sketch_svg(d.sketch) +
                      "\n<figcaption>" +
                      (to_scale(d.sketch) ? "Drawn to scale."
                                          : "Schematic, not to scale: the smallest dimension is below 2 % of "
                                            "the largest.") +
                      "</figcaption>\n</figure>\n";
    if (!d.plot.x.empty())
        out += "<figure class=\"plot\">\n" + plot_svg(d.plot) + "\n<figcaption>" + text::html(d.plot.title) +
               "</figcaption>\n</figure>\n";
    return out + "</section>\n";
}

std::string warnings(const Document& d)
{
    if (d.warnings.empty())
        return {};
    std::string out = "<section>\n<h2>Warnings and notes</h2>\n<ul class=\"warnings\">\n";
    for (const std::string& w : d.warnings)
        out += "<li>" + text::html(w) + "</li>\n";
    return out + "</ul>\n</section>\n";
}

// Classes of a record's style codes: titles, underlined lines, the
// warning headline, notes, warnings, captions (1 a quantity, 2 a result).
std::string classes(const ReportRecord& r)
{
    static const char* kNames[] = {"title", "underline", "headline", "note", "warning"};
    std::string out;
    for (int i = 0; i < 5; ++i)
        if (r.styles[static_cast<std::size_t>(i)] != 0)
            out += std::string(out.empty() ? "" : " ") + kNames[i];
    if (r.styles[5] != 0)
        out += std::string(out.empty() ? "" : " ") + (r.styles[5] == 2 ? "result" : "caption");
    return out;
}

// The native report in blocks that a page break does not split: a formula
// block runs from its caption line to the next blank line; other lines go
// in blocks up to a blank line too.
std::string report(const Document& d)
{
    std::string out = "<section class=\"report\">\n<h2>Calculation report</h2>\n";
    bool open = false;
    for (const ReportRecord& r : d.report) {
        bool blank = r.text.find_first_not_of(' ') == std::string::npos;
        bool caption = r.styles[5] == 1;
        if (caption && open) {
            out += "</pre>\n";
            open = false;
        }
        if (!open) {
            out += caption ? "<pre class=\"block formula\">" : "<pre class=\"block\">";
            open = true;
        }
        std::string cls = classes(r), line = text::html(text::to_utf8(r.text, text::F8::theta));
        out += (cls.empty() || blank ? line : "<span class=\"" + cls + "\">" + line + "</span>") + "\n";
        if (blank) {
            out += "</pre>\n";
            open = false;
        }
    }
    if (open)
        out += "</pre>\n";
    return out + "</section>\n";
}

}  // namespace

const char* verdict_words(Verdict v)
{
    switch (v) {
    case Verdict::acceptable:
        return "ACCEPTABLE";
    case Verdict::not_acceptable:
        return "NOT ACCEPTABLE";
    case Verdict::not_analysed:
        break;
    }
    return "NOT ANALYSED";
}

std::string significant(double v, int digits)
{
    if (!std::isfinite(v))
        return "\xE2\x80\x94";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

// A head's first title names the code and its paragraph before the
// analysis ("ASME VIII-1, Appendix 14 Large ... Input"); a jacket's first
// title names the analysis ("Half-Pipe Jacket Analysis Input Data :") and
// a later one the code ("... per PD 5500, 3.11.4").
void name_analysis(Document& d)
{
    std::vector<std::string> titles;
    for (const ReportRecord& r : d.report)
        if (r.styles[0] != 0 && r.styles[5] == 1)
            titles.push_back(text::to_utf8(r.text, text::F8::theta));
    if (titles.empty())
        return;
    auto cut = [](std::string s, std::string_view tail) {
        if (s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0)
            s.resize(s.size() - tail.size());
        return s;
    };
    std::string first = cut(cut(titles[0], " Input Data :"), " Input");
    // The code ends with the first word holding a digit after the comma.
    std::size_t comma = first.find(", "), end = std::string::npos;
    if (comma != std::string::npos)
        end = first.find(' ', first.find_first_of("0123456789", comma));
    if (end != std::string::npos) {
        d.edition = first.substr(0, end);
        d.analysis = first.substr(end + 1);
        return;
    }
    d.analysis = first;
    for (const std::string& t : titles)
        if (std::size_t per = t.find(" per "); per != std::string::npos && t.find(", ", per) != std::string::npos) {
            d.edition = t.substr(per + 5);
            return;
        }
}

std::string index_html(const std::string& title, const std::vector<IndexEntry>& entries)
{
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                      text::html(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
                      text::html(title) +
                      "</h1>\n<table class=\"index\">\n<tr><th>Row</th><th>Item</th>"
                      "<th>Description</th><th>Verdict</th><th>Governing check</th><th>Utilization</th>"
                      "<th>Sheet</th></tr>\n";
    for (const IndexEntry& e : entries)
        out += "<tr><td class=\"n\">" + text::html(e.row) + "</td><td class=\"n\">" + text::html(e.item) + "</td><td>" +
               text::html(e.description) + "</td><td><b>" + verdict_words(e.verdict) + "</b></td><td>" +
               text::html(e.governing) + "</td><td class=\"n\">" + percent(e.utilization) + "</td><td>" +
               (e.href.empty() ? "\xE2\x80\x94"
                               : "<a href=\"" + text::html(e.href) + "\">" + text::html(e.href) + "</a>") +
               "</td></tr>\n";
    return out + "</table>\n</body>\n</html>\n";
}

std::string html(const Document& d)
{
    std::string title = "Item " + d.item + (d.description.empty() ? "" : " \xE2\x80\x94 " + d.description);
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + text::html(title) +
           "</title>\n<style>" + kStyle + page_style(d) + "</style>\n</head>\n<body>\n" + header(d) +
           verdict_banner(d) + checks_table(d) + values_table(d) + figures(d) + warnings(d) + report(d) +
           "</body>\n</html>\n";
}

}  // namespace tx14::sheet
