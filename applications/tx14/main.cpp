// tx14: run pressure-vessel items through the TXAppendix14 library from the
// command line and read their reports.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>
#include <system_error>

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
#include "output_file.hpp"
#include "render.hpp"

namespace {

using namespace tx14::cli;

constexpr int kAnalysed = kExitAcceptable;
constexpr int kFailure = kExitFailure;
constexpr int kInputError = kExitInputError;

struct RunOptions {
    std::vector<std::string> items;
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

// An output that would overwrite or append to the item file itself, or the
// HTML page replacing the report just appended: the reason to refuse it.
std::optional<std::string> clashing_output(const RunOptions& o, const std::string& item)
{
    if (!o.report.empty() && same_file(o.report, item))
        return "--report: " + o.report + " is the item file; refused";
    if (!o.html.empty() && same_file(o.html, item))
        return "--html: " + o.html + " is the item file; refused";
    if (!o.pdf.empty() && (same_file(o.pdf, item) || same_file(o.pdf, o.html) || same_file(o.pdf, o.report)))
        return "--pdf: " + o.pdf + " is the item file or another output; refused";
    if (!o.html.empty() && !o.report.empty() && same_file(o.html, o.report))
        return "--html: " + o.html + " is the report file; refused";
    return std::nullopt;
}

// The calculation sheet into the page opened for it and/or printed to PDF;
// false when it could not be written, with the reason on standard error.
bool write_sheet(const RunOptions& o, const Item& item, const Outcome& outcome, std::optional<NewFile>& page)
{
    SheetSource source{item.source == "-" ? "standard input" : item.source, item.input_sha256, run_date_time(),
                       o.paper == "letter" ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4};
    std::string html = tx14::sheet::html(sheet_of(item, outcome, source));
    if (page && !(page->write(html) && page->commit())) {
        std::cerr << o.html << ": cannot write the HTML page: " << page->error()
                  << (o.report.empty() ? "" : " (the report was appended to " + o.report + ")") << '\n';
        return false;
    }
    std::string pdf, error;
    if (!o.pdf.empty() && !print_pdf(html, pdf, error)) {
        std::cerr << o.pdf << ": " << error << '\n';
        return false;
    }
    if (!o.pdf.empty())
        if (auto why = write_new_file(o.pdf, pdf)) {
            std::cerr << o.pdf << ": cannot write the PDF: " << *why << '\n';
            return false;
        }
    return true;
}

int run_item(const RunOptions& o, const std::string& file, UnitCatalog& units, bool several)
{
    Diagnostics diags;
    std::optional<Item> item = read_item_file(file, units, diags);
    if (!item) {
        print_diagnostics(diags);
        return kInputError;
    }
    for (const Diagnostic& w : item->warnings)
        std::cerr << format({w.where, "warning: " + w.message}) << '\n';
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
    std::optional<NewFile> page;
    if (!o.html.empty() && !page.emplace(o.html).ok()) {
        std::cerr << o.html << ": cannot write the HTML page: " << page->error() << '\n';
        return kFailure;
    }

    tx14::Context ctx;
    ctx.set_no_special(o.plain ? 1 : 0);
    Outcome outcome = analyse(ctx, *item);
    if (!o.report.empty()) {
        append_report(ctx, *item, o.report);
        if (int error = ctx.report_file_error()) {
            std::cerr << o.report << ": the report could not be written whole: "
                      << std::generic_category().message(error) << '\n';
            return kFailure;
        }
    }
    if ((page || !o.pdf.empty()) && !write_sheet(o, *item, outcome, page))
        return kFailure;
    if (o.json) {
        nlohmann::ordered_json j = json_of(*item, outcome);
        j["warnings"] = nlohmann::ordered_json::array();
        for (const Diagnostic& w : item->warnings)
            j["warnings"].push_back(w.message);
        std::cout << j.dump(several ? -1 : 2) << '\n';
    } else {
        const bool ansi = use_color(o.color);
        std::cout << terminal_text(outcome.lines, ansi) << '\n'
                  << verdict_block(outcome.record, outcome.fatal_errors, o.plain, ansi);
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tx14: cannot write to standard output\n";
        return kFailure;
    }
    return outcome.fatal_errors > 0 ? kExitNotAnalysed : exit_code(outcome.record.verdict);
}

// Each item file's report after the other's; with several, JSON Lines.
int run_items(const RunOptions& o)
{
    const bool several = o.items.size() > 1;
    if (several && (!o.html.empty() || !o.pdf.empty())) {
        std::cerr << (o.html.empty() ? "--pdf" : "--html")
                  << ": one sheet per item: use `tx14 batch --html` for several items\n";
        return kInputError;
    }
    for (const std::string& file : o.items)
        if (auto why = clashing_output(o, file)) {  // before anything is written
            std::cerr << *why << '\n';
            return kInputError;
        }
    UnitCatalog units;
    int code = kAnalysed;
    for (const std::string& file : o.items)
        code = worse_exit(code, run_item(o, file, units, several));
    return code;
}

int print_units(const std::string& name)
{
    Diagnostics diags;
    std::optional<UnitSystem> units;
    if (const UnitSystem* builtin = tx14::items::builtin_units(name))
        units = *builtin;
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

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"tx14: analyse a flat head with a large central opening or a half-pipe jacket / "
                 "limpet coil with the TXAppendix14 library and read the report."};
    app.set_version_flag("--version", std::string("tx14 ") + TX14_VERSION);
    app.require_subcommand(1);
    app.footer("Exit codes: 0 acceptable, 4 analysed but not acceptable, 3 fatal input errors or "
               "not analysed (report still printed), 2 usage or input-file error (nothing "
               "analysed), 1 any other failure; over several items the first of 1, 2, 3, 4, 0.");

    RunOptions run;
    CLI::App* run_cmd = app.add_subcommand("run", "Analyse item files (TOML) and print their reports.");
    run_cmd->add_option("ITEM", run.items, "Item files (TOML), analysed one after the other")->required();
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
    run_cmd->add_flag("--json", run.json,
                      "Print the results and the report lines as JSON (one line per item when several)");
    run_cmd->footer(tx14::items::key_tables_text());

    bool markdown = false;
    CLI::App* keys_cmd = app.add_subcommand("keys", "Print the keys of each kind of item.");
    keys_cmd->add_flag("--markdown", markdown, "As Markdown tables (those of the README)");

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
            return run_items(run);
        if (*keys_cmd) {
            std::cout << (markdown ? tx14::items::key_tables_markdown() : tx14::items::key_tables_text() + "\n");
            return std::cout.flush() ? kAnalysed : kFailure;
        }
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
