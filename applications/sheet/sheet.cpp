// The calculation sheet as one HTML document: header, verdict, checks, key
// values, sketch, plot, warnings and the native report, laid out for the
// screen and for print (A4 or Letter).
#include <cctype>
#include <cmath>
#include <cstdio>

#include "escape.hpp"
#include "figures.hpp"
#include "txappendix14_text.hpp"

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
table.title { table-layout: fixed; }
table.title td, table.approval td { overflow-wrap: anywhere; }
table.title th { width: 7.5em; }
table.title td.hash { font-family: "DejaVu Sans Mono", monospace; font-size: 8pt; word-break: break-all; }
.missing { font-style: italic; color: #444; }
.ref { display: block; font-size: 8pt; font-weight: normal; color: #333; }
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
ul.warnings li { font-weight: bold; }
ul.warnings li.note { font-weight: normal; }
.approval { break-inside: avoid; margin-top: 1.5em; }
.approval h2 { margin-top: 0; }
.approval p { margin: 0.3em 0 0.6em; }
table.approval th, table.approval td { height: 2.6em; vertical-align: bottom; }
table.approval tr:first-child th { height: auto; }
table.approval th { width: 8em; }
table.approval td.name { width: 32%; }
table.approval td.date { width: 16%; }
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

constexpr const char* kNotGiven = "not given";

// The verdict's name in capitals: "ACCEPTABLE", "NOT ACCEPTABLE", "NOT ANALYSED".
std::string verdict_words(Verdict v)
{
    std::string words = verdict_name(v);
    for (char& c : words)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return words;
}

// "Item 7 — Top head", and its revision when given: the sheet's title and
// running header.
std::string item_title(const Document& d)
{
    return "Item " + (d.item.empty() ? std::string(kNotGiven) : d.item) +
           (d.description.empty() ? "" : " \xE2\x80\x94 " + d.description) +
           (d.texts.revision.empty() ? "" : " \xC2\xB7 Rev. " + d.texts.revision);
}

// The page box: size, margins, and the running header and footer.
std::string page_style(const Document& d)
{
    auto box = [](const char* where, const std::string& content) {
        return std::string("  @") + where + " { content: " + content + "; font: 8pt \"DejaVu Sans\", sans-serif; }\n";
    };
    return std::string("@page { size: ") + (d.paper == Paper::letter ? "letter" : "A4") +
           "; margin: 18mm 15mm 16mm 15mm;\n" + box("top-left", text::css_string(item_title(d))) +
           box("top-right", text::css_string(d.analysis)) +
           box("bottom-left", text::css_string(d.input_name + " \xC2\xB7 " + d.date_time)) +
           box("bottom-right", "\"Page \" counter(page) \" of \" counter(pages)") + "}\n";
}

// A labelled field of the title block: its value, or `missing` in italics.
struct Field {
    const char* name;
    const std::string& value;
    const char* missing = kNotGiven;
    const char* cls = nullptr;
};

std::string cells(const Field& f, int span = 1)
{
    std::string td = std::string("<th>") + f.name + "</th><td";
    if (span > 1)
        td += " colspan=\"" + std::to_string(span) + "\"";
    if (f.value.empty())
        return td + " class=\"missing\">" + f.missing + "</td>";
    return td + (f.cls ? std::string(" class=\"") + f.cls + "\"" : "") + ">" + text::html(f.value) + "</td>";
}

// Two fields side by side, or one across the row.
std::string row(const Field& a, const Field& b) { return "<tr>" + cells(a) + cells(b) + "</tr>\n"; }
std::string row(const Field& a) { return "<tr>" + cells(a, 3) + "</tr>\n"; }

// Page 1: what the sheet is about and what identifies the run.
std::string title_block(const Document& d)
{
    const SheetTexts& t = d.texts;
    const char* dash = "\xE2\x80\x94";
    return "<header>\n<h1>" + text::html(d.analysis.empty() ? "Calculation sheet" : d.analysis) +
           "</h1>\n<table class=\"title\">\n" + row({"Project", t.project}, {"Vessel tag", t.vessel}) +
           row({"Drawing", t.drawing}, {"Revision", t.revision}) + row({"Purpose", t.purpose}, {"Item", d.item}) +
           row({"Description", d.description}) + row({"Materials", d.materials}) +
           row({"Method", d.method, "not named"}, {"Code edition", d.edition, "not stated by the library"}) +
           row({"Unit system", d.unit_system}, {"Date and time", d.date_time, dash}) +
           row({"Library", d.library_version, dash}, {"Input", d.input_name, dash}) +
           row({"SHA-256", d.sha256, dash, "hash"}) + "</table>\n</header>\n";
}

// "1 warning", "2 notes".
std::string counted(std::size_t n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// What the warnings section holds, for the verdict box.
std::string what_follows(const Document& d)
{
    std::vector<std::string> parts;
    if (!d.input_warnings.empty())
        parts.push_back(counted(d.input_warnings.size(), "warning") + " of the input");
    if (!d.reasons.empty())
        parts.push_back(counted(d.reasons.size(), "reason") + " not to judge the item");
    if (!d.notes.empty())
        parts.push_back(counted(d.notes.size(), "note"));
    if (parts.empty())
        return "No warnings or notes.";
    std::string out = "Under \xE2\x80\x9CWarnings and notes\xE2\x80\x9D below: ";
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return out + ".";
}

std::string reference_of(const CheckRow& c) { return c.reference.empty() ? "" : " (" + text::html(c.reference) + ")"; }

std::string verdict_banner(const Document& d)
{
    const char* cls = d.verdict == Verdict::acceptable       ? "acceptable"
                      : d.verdict == Verdict::not_acceptable ? "not-acceptable"
                                                             : "not-analysed";
    std::string out = std::string("<section class=\"verdict ") + cls + "\">\n<p class=\"word\">" +
                      verdict_words(d.verdict) + "</p>\n";
    if (d.governing >= 0 && d.governing < static_cast<int>(d.checks.size())) {
        const CheckRow& g = d.checks[static_cast<std::size_t>(d.governing)];
        out += "<p>Governing check: " + text::html(g.label) + reference_of(g) + ", utilization " +
               percent(g.utilization, g.passes) + (g.passes ? ", passes" : ", FAILS") + ".</p>\n";
    }
    std::size_t failing = 0, applicable = 0;
    for (const CheckRow& c : d.checks)
        if (c.applicable) {
            ++applicable;
            failing += c.passes ? 0 : 1;
        }
    if (failing > 0)
        out += "<p>" + std::to_string(failing) + " of " + counted(applicable, "applicable check") + " fail" +
               (failing == 1 ? "s" : "") + ".</p>\n";
    for (const std::string& r : d.reasons)
        out += "<p>Not analysed: " + text::html(r) + "</p>\n";
    return out + "<p>" + what_follows(d) + "</p>\n</section>\n";
}

// The gauge of a check's utilization: filled to the limit, hatched past it.
std::string gauge(double u)
{
    if (std::isnan(u))
        return {};
    return std::string("<span class=\"bar") + (u > 1 ? " over" : "") +
           "\"><span style=\"width:" + significant(std::min(std::max(u, 0.0), 1.0) * 100, 4) + "%\"></span></span>";
}

std::string checks_table(const Document& d)
{
    if (d.checks.empty())
        return {};
    std::string out =
        "<section>\n<h2>Checks</h2>\n<table class=\"checks\">\n<tr><th>Check and reference</th><th>Value</th>"
        "<th></th><th>Limit</th><th>Unit</th><th>Utilization</th><th>Result</th></tr>\n";
    for (std::size_t i = 0; i < d.checks.size(); ++i) {
        const CheckRow& c = d.checks[i];
        const std::string head =
            "<td>" + text::html(c.label) +
            (c.reference.empty() ? "" : "<span class=\"ref\">" + text::html(c.reference) + "</span>") + "</td>";
        const std::string relation = c.at_least ? "\xE2\x89\xA5" : "\xE2\x89\xA4";
        if (!c.applicable) {
            out += "<tr class=\"inapplicable\">" + head + "<td class=\"n\">n/a</td><td>" + relation +
                   "</td><td class=\"n\">" + significant(c.limit) + "</td><td>" + text::html(c.unit) +
                   "</td><td class=\"n\">n/a</td><td class=\"result\">n/a</td></tr>\n";
            continue;
        }
        std::string cls =
            std::string(c.passes ? "passes" : "fails") + (static_cast<int>(i) == d.governing ? " governing" : "");
        out += "<tr class=\"" + cls + "\">" + head + "<td class=\"n\">" + significant(c.value) + "</td><td>" +
               relation + "</td><td class=\"n\">" + significant(c.limit) + "</td><td>" + text::html(c.unit) +
               "</td><td class=\"n\">" + gauge(c.utilization) + percent(c.utilization, c.passes) +
               "</td><td class=\"result\">" + (c.passes ? "passes" : "FAILS") + "</td></tr>\n";
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
    for (const ValueRow& v : d.values)
        out += "<tr><td>" + text::html(v.label) + "</td>" +
               (v.missing ? std::string("<td class=\"missing\">") + v.missing + "</td><td></td>"
                          : "<td class=\"n\">" + significant(v.value) + "</td><td>" + text::html(v.unit) + "</td>") +
               "</tr>\n";
    return out + "</table>\n</section>\n";
}

std::string figures(const Document& d)
{
    std::string out = "<section>\n<h2>Sketch and plot</h2>\n<figure class=\"sketch\">\n" + sketch_figure(d.sketch).svg +
                      "\n<figcaption>" + text::html(sketch_caption(d.sketch)) + "</figcaption>\n</figure>\n";
    if (!d.plot.x.empty())
        out += "<figure class=\"plot\">\n" + plot_figure(d.plot).svg + "\n<figcaption>" + text::html(d.plot.title) +
               "</figcaption>\n</figure>\n";
    return out + "</section>\n";
}

// The input's warnings, then why the item is not analysed, then the notes.
std::string warnings(const Document& d)
{
    if (d.input_warnings.empty() && d.reasons.empty() && d.notes.empty())
        return {};
    std::string out = "<section>\n<h2>Warnings and notes</h2>\n<ul class=\"warnings\">\n";
    const struct {
        const std::vector<std::string>& texts;
        const char* cls;
        const char* lead;
    } groups[] = {{d.input_warnings, "warning", "Warning: "},
                  {d.reasons, "reason", "Not analysed: "},
                  {d.notes, "note", "Note: "}};
    for (const auto& g : groups)
        for (const std::string& t : g.texts)
            out += std::string("<li class=\"") + g.cls + "\">" + g.lead + text::html(t) + "</li>\n";
    return out + "</ul>\n</section>\n";
}

// The last block: prepared, checked and approved, each with its name when
// given, and a date and a signature to be written by hand.
std::string approval_block(const Document& d)
{
    const SheetTexts& t = d.texts;
    const auto line = [](const char* role, const std::string& name) {
        return std::string("<tr><th>") + role + "</th><td class=\"name\">" + text::html(name) +
               "</td><td class=\"date\"></td><td class=\"signature\"></td></tr>\n";
    };
    return "<section class=\"approval\">\n<h2>Approval</h2>\n<p>Item " + text::html(d.item) + " \xC2\xB7 Revision " +
           (t.revision.empty() ? "________" : text::html(t.revision)) + " \xC2\xB7 Purpose " +
           (t.purpose.empty() ? "________________________" : text::html(t.purpose)) +
           "</p>\n<table class=\"approval\">\n<tr><th></th><th>Name</th><th>Date</th><th>Signature</th></tr>\n" +
           line("Prepared by", t.prepared_by) + line("Checked by", t.checked_by) + line("Approved by", t.approved_by) +
           "</table>\n</section>\n";
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
// in blocks up to a blank line too. Blank lines and titles before a block
// stay with it, so that a title never ends a page.
std::string report(const Document& d)
{
    std::string out = "<section class=\"report\">\n<h2>Calculation report</h2>\n";
    bool open = false, body = false;  // body: the open block holds a line besides blanks and titles
    for (const ReportRecord& r : d.report) {
        const bool blank = r.text.find_first_not_of(' ') == std::string::npos;
        const bool caption = r.styles[5] == 1, title = r.styles[0] != 0;
        if (caption && open && body) {
            out += "</pre>\n";
            open = false;
        }
        if (!open) {
            out += caption && !title ? "<pre class=\"block formula\">" : "<pre class=\"block\">";
            open = true;
            body = false;
        }
        std::string cls = classes(r), line = text::html(text::to_utf8(r.text, text::F8::theta));
        out += (cls.empty() || blank ? line : "<span class=\"" + cls + "\">" + line + "</span>") + "\n";
        body = body || !(blank || title);
        if (blank && body) {
            out += "</pre>\n";
            open = false;
        }
    }
    if (open)
        out += "</pre>\n";
    return out + "</section>\n";
}

// "ASME Appendix EE, 2015" is the method and its edition; a paragraph
// ("PD 5500, 3.11.4") is not an edition.
void set_method(Document& d, const std::string& method)
{
    const std::size_t comma = method.rfind(", ");
    const std::string year = comma == std::string::npos ? "" : method.substr(comma + 2);
    const bool is_year = year.size() == 4 && (year.starts_with("19") || year.starts_with("20")) &&
                         year.find_first_not_of("0123456789") == std::string::npos;
    d.method = is_year ? method.substr(0, comma) : method;
    d.edition = is_year ? year : "";
}

}  // namespace

std::string percent(double utilization, bool passes)
{
    if (!std::isfinite(utilization))
        return "\xE2\x80\x94";
    double p = std::round(1000 * utilization) / 10;
    if (passes)
        p = std::min(p, 100.0);
    else if (!(p > 100.0))
        p = 100.1;  // a check that fails is over its limit, however little
    char buf[48];
    if (std::fabs(p) < 1e9)
        std::snprintf(buf, sizeof buf, "%.1f %%", p);
    else
        std::snprintf(buf, sizeof buf, "%.3g %%", p);
    return buf;
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
// a later one the method ("... per ASME Appendix EE, 2015").
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
        set_method(d, first.substr(0, end));
        d.analysis = first.substr(end + 1);
        return;
    }
    d.analysis = first;
    for (const std::string& t : titles)
        if (std::size_t per = t.find(" per "); per != std::string::npos && t.find(", ", per) != std::string::npos) {
            set_method(d, t.substr(per + 5));
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
               text::html(e.governing) + "</td><td class=\"n\">" + percent(e.utilization, e.passes) + "</td><td>" +
               (e.href.empty() ? "\xE2\x80\x94"
                               : "<a href=\"" + text::html(e.href) + "\">" + text::html(e.href) + "</a>") +
               "</td></tr>\n";
    return out + "</table>\n</body>\n</html>\n";
}

std::string html(const Document& d)
{
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
           text::html(item_title(d)) + "</title>\n<style>" + kStyle + figure_style() + page_style(d) +
           "</style>\n</head>\n<body>\n" + title_block(d) + verdict_banner(d) + checks_table(d) + values_table(d) +
           figures(d) + warnings(d) + report(d) + approval_block(d) + "</body>\n</html>\n";
}

}  // namespace tx14::sheet
