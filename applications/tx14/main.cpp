// tx14: run pressure-vessel items through the TXAppendix14 library from the
// command line and read their reports.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "analysis.hpp"
#include "batch.hpp"
#include "calculation_sheet.hpp"
#include "item.hpp"
#include "render.hpp"

namespace {

using namespace tx14::cli;

// Exit codes.
constexpr int kAnalysed = 0;
constexpr int kFailure = 1;
constexpr int kInputError = 2;
constexpr int kFatalInputErrors = 3;

struct RunOptions {
    std::string item;
    std::string color = "auto";
    bool plain = false;
    bool json = false;
    std::string report;
    std::string html;
    std::string pdf;
    std::string paper = "a4";
};

bool is_terminal(std::FILE* f) { return isatty(fileno(f)) != 0; }

bool use_color(const std::string& color)
{
    if (color != "auto")
        return color == "always";
    const char* term = std::getenv("TERM");
    return std::getenv("NO_COLOR") == nullptr && is_terminal(stdout) &&
           !(term && std::string_view(term) == "dumb");
}

void print_diagnostics(const Diagnostics& diags)
{
    for (const Diagnostic& d : diags)
        std::cerr << format(d) << '\n';
}

// Opens the report file for appending once, to fail before the analysis
// rather than silently in it.
bool report_file_usable(const std::string& file)
{
    std::ofstream f(file, std::ios::binary | std::ios::app);
    return static_cast<bool>(f);
}

bool write_file(const std::string& file, const std::string& text)
{
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    return static_cast<bool>(f);
}

// The calculation sheet as HTML and/or PDF.
bool write_sheet(const RunOptions& o, const Item& item, const Outcome& outcome)
{
    std::optional<std::string> sha = file_sha256(o.item);
    SheetSource source{o.item, sha.value_or(""), run_date_time(),
                       o.paper == "letter" ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4};
    std::string page = tx14::sheet::html(sheet_of(item, outcome, source));
    std::string html = o.html.empty() ? o.pdf + ".part.html" : o.html;
    if (!write_file(html, page)) {
        std::cerr << html << ": cannot write the HTML page\n";
        return false;
    }
    std::string error;
    bool printed = o.pdf.empty() || print_pdf(html, o.pdf, error);
    if (o.html.empty())
        std::remove(html.c_str());
    if (!printed)
        std::cerr << "tx14: " << error << '\n';
    return printed;
}

int run_item(const RunOptions& o)
{
    UnitCatalog units;
    Diagnostics diags;
    std::optional<Item> item = read_item_file(o.item, units, diags);
    if (!item) {
        print_diagnostics(diags);
        return kInputError;
    }
    if (!o.report.empty()) {
        if (auto why = unusable_report_name(o.report)) {
            std::cerr << "--report: " << *why << '\n';
            return kInputError;
        }
        if (!report_file_usable(o.report)) {
            std::cerr << o.report << ": cannot open the report file for appending\n";
            return kFailure;
        }
    }

    tx14::Context ctx;
    ctx.set_no_special(o.plain ? 1 : 0);
    Outcome outcome = analyse(ctx, *item);
    if (!o.report.empty())
        append_report(ctx, *item, o.report);
    if ((!o.html.empty() || !o.pdf.empty()) && !write_sheet(o, *item, outcome))
        return kFailure;
    if (o.json)
        std::cout << json_of(*item, outcome).dump(2) << '\n';
    else
        std::cout << terminal_text(outcome.lines, use_color(o.color));
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tx14: cannot write to standard output\n";
        return kFailure;
    }
    return outcome.fatal_errors > 0 ? kFatalInputErrors : kAnalysed;
}

int print_units(const std::string& name)
{
    Diagnostics diags;
    std::optional<UnitSystem> units;
    if (name == "US" || name == "SI")
        units = name == "US" ? us_units() : si_units();
    else
        units = load_unit_file(name, diags);
    if (!units) {
        print_diagnostics(diags);
        return kInputError;
    }
    std::cout << unit_file_text(*units);
    std::cout.flush();
    return std::cout ? kAnalysed : kFailure;
}

std::string keys_help()
{
    std::string s = "Item file keys (values in the item's units):\n";
    for (const KindKeys& k : kKinds) {
        s += "\n  kind = \"" + std::string(k.name) + "\", code = ";
        for (std::size_t i = 0; i < k.codes.size(); ++i)
            s += (i ? " | \"" : "\"") + std::string(k.codes[i].name) + "\"";
        s += "\n";
        for (const TextKey& t : k.texts)
            s += "    " + std::string(t.name) + std::string(18 - std::min<std::size_t>(t.name.size(), 17), ' ') +
                 std::string(t.meaning) + " (text, at most 15 characters)\n";
        for (const NumberKey& n : k.numbers)
            s += "    " + std::string(n.name) + std::string(18 - std::min<std::size_t>(n.name.size(), 17), ' ') +
                 std::string(n.meaning) + "\n";
    }
    return s + "\n  Common: units = \"US\" | \"SI\" | \"unit-file.toml\", item = number of the item.";
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"tx14: analyse a flat head with a large central opening or a half-pipe jacket / "
                 "limpet coil with the TXAppendix14 library and read the report."};
    app.set_version_flag("--version", std::string("tx14 ") + TX14_VERSION);
    app.require_subcommand(1);
    app.footer("Exit codes: 0 analysed, 3 fatal input errors (report still printed), 2 usage or "
               "input-file error (nothing analysed), 1 any other failure.");

    RunOptions run;
    CLI::App* run_cmd = app.add_subcommand("run", "Analyse one item file (TOML) and print its report.");
    run_cmd->add_option("ITEM", run.item, "Item file (TOML)")->required();
    run_cmd->add_option("--color", run.color, "ANSI attributes on the report: always, never or auto")
        ->check(CLI::IsMember({"always", "never", "auto"}));
    run_cmd->add_flag("--plain", run.plain, "Special characters as plain text (d^(2) for d\u00B2, ...)");
    run_cmd->add_option("--report", run.report,
                        "Append the native report (Windows-1252) to this file")
        ->option_text("FILE");
    run_cmd->add_option("--html", run.html, "Write the calculation sheet as an HTML document to this file")
        ->option_text("FILE");
    run_cmd->add_option("--pdf", run.pdf, "Print the calculation sheet to this PDF file (headless Chromium)")
        ->option_text("FILE");
    run_cmd->add_option("--paper", run.paper, "Paper size of the sheet: a4 (default) or letter")
        ->check(CLI::IsMember({"a4", "letter"}));
    run_cmd->add_flag("--json", run.json, "Print the results and the report lines as JSON");
    run_cmd->footer(keys_help());

    BatchOptions batch;
    std::string batch_items, batch_reports;
    CLI::App* batch_cmd = app.add_subcommand(
        "batch", "Analyse every row of a CSV file (header: the item keys) and print one CSV row of "
                 "results per item.");
    batch_cmd->add_option("ITEMS", batch_items, "CSV file, one item per row")->required();
    batch_cmd->add_option("--reports", batch_reports,
                          "Write each item's native report to DIR/row-NNNN.txt")
        ->option_text("DIR");
    batch_cmd->add_option("--jobs", batch.jobs, "Threads (default: one per core)")
        ->check(CLI::Range(1u, 1024u));
    batch_cmd->add_flag("--plain", batch.plain, "Special characters as plain text in the reports");
    std::string batch_sheets, batch_paper = "a4";
    batch_cmd->add_option("--html", batch_sheets,
                          "Write each item's calculation sheet to DIR/row-NNNN.html and an index.html")
        ->option_text("DIR");
    batch_cmd->add_option("--paper", batch_paper, "Paper size of the sheets: a4 (default) or letter")
        ->check(CLI::IsMember({"a4", "letter"}));

    std::string units_name;
    CLI::App* units_cmd = app.add_subcommand(
        "units", "Print a unit system as a unit file: US, SI or a unit file to check.");
    units_cmd->add_option("UNITS", units_name, "US, SI or a unit file")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? kAnalysed : kInputError;
    }

    try {
        if (*run_cmd)
            return run_item(run);
        if (*batch_cmd) {
            batch.items = batch_items;
            if (!batch_reports.empty())
                batch.reports = batch_reports;
            if (!batch_sheets.empty())
                batch.sheets = batch_sheets;
            batch.letter = batch_paper == "letter";
            batch.progress = is_terminal(stderr);
            return run_batch(batch, std::cout, std::cerr);
        }
        return print_units(units_name);
    } catch (const std::exception& e) {
        std::cerr << "tx14: " << e.what() << '\n';
        return kFailure;
    }
}
