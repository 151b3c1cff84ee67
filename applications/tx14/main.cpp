// tx14: run pressure-vessel items through the TXAppendix14 library from the
// command line and read their reports.
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include <unistd.h>

#include "batch.hpp"
#include "calculation_sheet.hpp"
#include "escape.hpp"
#include "item.hpp"
#include "output_file.hpp"
#include "pdf_printer.hpp"
#include "render.hpp"
#include "sheet_info.hpp"
#include "verdict.hpp"

namespace {

using namespace tx14::cli;
using tx14::UnitSystem;

struct RunOptions {
    std::vector<std::string> items;
    std::string color = "auto";
    bool plain = false;
    bool json = false;
    std::string report;
    std::string html;  // "-": standard output
    std::string pdf;   // "-": standard output
    std::string paper = "a4";
    double pdf_timeout = 120;  // seconds; then the browser is stopped
};

bool is_terminal(std::FILE* f) { return isatty(fileno(f)) != 0; }

bool use_color(const std::string& color)
{
    if (color != "auto")
        return color == "always";
    const char* term = std::getenv("TERM");
    return std::getenv("NO_COLOR") == nullptr && is_terminal(stdout) && !(term && std::string_view(term) == "dumb");
}

// A message on standard error, names and values in it as a terminal shows
// them.
void say(const std::string& message) { std::cerr << tx14::text::terminal(message) << '\n'; }

void print_diagnostics(const Diagnostics& diags)
{
    for (const Diagnostic& d : diags)
        std::cerr << format(d) << '\n';
}

// An item file as read before anything runs.
struct ReadItem {
    std::optional<SourceItem> item;  // none: diags say why
    Diagnostics diags;
};

// An input, named as a message names it.
struct Input {
    std::string path;  // "-": standard input
    std::string what;  // "the item file x.toml", ...
};

// Standard output when it is a file, or an output file, that is an input or
// another output: the reason to refuse the run before anything is written.
std::optional<std::string> clashing_output(const RunOptions& o, const std::vector<Input>& inputs)
{
    const std::pair<const char*, const std::string*> outputs[] = {
        {"--report", &o.report}, {"--html", &o.html}, {"--pdf", &o.pdf}};
    auto is_file = [](const std::string* name) { return !name->empty() && *name != "-"; };
    for (auto [option, file] : outputs) {
        if (!is_file(file))
            continue;
        for (const Input& in : inputs)
            if (same_file(*file, in.path))
                return std::string(option) + ": " + *file + " is " + in.what + "; refused";
    }
    for (std::size_t a = 0; a < std::size(outputs); ++a)
        for (std::size_t b = a + 1; b < std::size(outputs); ++b)
            if (is_file(outputs[a].second) && is_file(outputs[b].second) &&
                same_file(*outputs[a].second, *outputs[b].second))
                return std::string(outputs[b].first) + ": " + *outputs[b].second + " is also the " + outputs[a].first +
                       " output; refused";
    if (const std::optional<FileId> out = standard_output_id())
        for (const Input& in : inputs)
            if ((in.path == "-" ? standard_input_id() : file_id(in.path)) == out)
                return "standard output is " + in.what + "; refused";
    return std::nullopt;
}

// Options that cannot go together; the reason.
std::optional<std::string> unusable_options(const RunOptions& o)
{
    if (o.items.size() > 1 && (!o.html.empty() || !o.pdf.empty()))
        return std::string(o.html.empty() ? "--pdf" : "--html") +
               ": one sheet per item: use `tx14 batch --html` for several items";
    if (o.html == "-" && o.pdf == "-")
        return "--html - and --pdf -: standard output takes one of them; name a file for the other";
    if ((o.html == "-" || o.pdf == "-") && o.json)
        return std::string(o.html == "-" ? "--html -" : "--pdf -") +
               " and --json: both would go to standard output; name a file for the sheet";
    if (o.pdf == "-" && is_terminal(stdout))
        return "--pdf -: standard output is a terminal; redirect it to a file or a program";
    if (!o.html.empty() || !o.pdf.empty())
        return source_date_epoch_problem();
    return std::nullopt;
}

// The calculation sheet into the page opened for it, or `html` (standard
// output), and/or printed to PDF; false when it could not be made, with the
// reason on standard error.
bool write_sheet(const RunOptions& o, const SourceItem& item, const tx14::Outcome& outcome,
                 std::optional<NewFile>& page, std::string& html, std::string& pdf)
{
    const tx14::sheet::Source source =
        sheet_source(item.source == "-" ? "standard input" : item.source, item.input_sha256,
                     o.paper == "letter" ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4);
    html = tx14::sheet::html(sheet_of(item, outcome, source));
    if (page && !(page->write(html) && page->commit())) {
        say(o.html + ": cannot write the HTML page: " + page->error() +
            (o.report.empty() ? "" : " (the report was appended to " + o.report + ")"));
        return false;
    }
    std::string error;
    if (!o.pdf.empty() && !print_pdf(html, pdf, error, o.pdf_timeout)) {
        say((o.pdf == "-" ? "--pdf -" : o.pdf) + ": " + error);
        return false;
    }
    if (!o.pdf.empty() && o.pdf != "-")
        if (auto why = write_new_file(o.pdf, pdf)) {
            say(o.pdf + ": cannot write the PDF: " + *why);
            return false;
        }
    return true;
}

int run_item(const RunOptions& o, const ReadItem& read, bool several)
{
    if (!read.item) {
        print_diagnostics(read.diags);
        return kExitInputError;
    }
    const SourceItem& item = *read.item;
    tx14::Context ctx;
    tx14::Options options;
    options.plain = o.plain;
    Diagnostics refused;
    const tx14::Outcome outcome = analyse(ctx, item, options, refused);
    if (outcome.refused()) {
        print_diagnostics(refused);
        return kExitInputError;
    }
    for (const tx14::Finding& w : outcome.warnings)
        std::cerr << format({item.position_of(w.key), "warning: " + w.message}) << '\n';
    if (!o.report.empty()) {
        // Opened for appending once, to fail before the analysis rather
        // than silently in it.
        if (!std::ofstream(o.report, std::ios::binary | std::ios::app)) {
            say(o.report + ": cannot open the report file for appending");
            return kExitFailure;
        }
        options.report_file = o.report;
        if (const int error = ctx.analyse(item.item, options).report_file_error) {
            say(o.report + ": the report could not be written whole: " + std::generic_category().message(error));
            return kExitFailure;
        }
    }
    std::optional<NewFile> page;
    if (!o.html.empty() && o.html != "-" && !page.emplace(o.html).ok()) {
        say(o.html + ": cannot write the HTML page: " + page->error());
        return kExitFailure;
    }
    std::string html, pdf;
    if ((!o.html.empty() || !o.pdf.empty()) && !write_sheet(o, item, outcome, page, html, pdf))
        return kExitFailure;
    if (o.html == "-") {
        std::cout << html;
    } else if (o.pdf == "-") {
        std::cout.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
    } else if (o.json) {
        std::cout << json_text(outcome, item.source, several ? -1 : 2) << '\n';
    } else {
        const bool ansi = use_color(o.color);
        std::cout << terminal_text(outcome.report, ansi) << '\n' << verdict_block(outcome, o.plain, ansi);
    }
    std::cout.flush();
    if (!std::cout) {
        say("tx14: cannot write to standard output");
        return kExitFailure;
    }
    return exit_code(outcome);
}

// Each item file's report after the other's; with several, JSON Lines.
// All are read first, so that no output is written over an item or unit
// file they read.
int run_items(const RunOptions& o)
{
    if (auto why = unusable_options(o)) {
        say(*why);
        return kExitInputError;
    }
    UnitCatalog units;
    std::vector<ReadItem> read;
    std::vector<Input> inputs;
    for (const std::string& file : o.items) {
        const std::size_t known = units.files().size();
        ReadItem& r = read.emplace_back();
        r.item = read_item_file(file, units, r.diags);
        const std::string item = file == "-" ? "standard input" : file;
        inputs.push_back({file, file == "-" ? "standard input, the item file" : "the item file " + file});
        const std::vector<std::filesystem::path> unit_files = units.files();
        for (std::size_t i = known; i < unit_files.size(); ++i)
            inputs.push_back({unit_files[i].string(), "the unit file " + unit_files[i].string() + " of " + item});
    }
    if (auto why = clashing_output(o, inputs)) {  // before anything is written
        say(*why);
        return kExitInputError;
    }
    int code = kExitAcceptable;
    for (const ReadItem& r : read)
        code = worse_exit(code, run_item(o, r, o.items.size() > 1));
    return code;
}

int print_units(const std::string& name)
{
    Diagnostics diags;
    const UnitSystem* builtin = tx14::builtin_units(name);
    const std::optional<UnitSystem> units = builtin ? *builtin : load_unit_file(name, diags);
    if (!units) {
        print_diagnostics(diags);
        return kExitInputError;
    }
    std::cout << unit_file_text(*units);
    std::cout.flush();
    return std::cout ? kExitAcceptable : kExitFailure;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{
        "tx14: analyse a flat head with a large central opening or a half-pipe jacket / "
        "limpet coil with the TXAppendix14 library and read the report."};
    app.set_version_flag("--version", std::string("tx14 ") + TX14_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Exit codes: 0 acceptable, 4 analysed but not acceptable, 3 fatal input errors or "
        "not analysed (report still printed), 2 usage or input-file error (nothing "
        "analysed), 1 any other failure; over several items the first of 1, 2, 3, 4, 0.");

    RunOptions run;
    CLI::App* run_cmd = app.add_subcommand("run", "Analyse item files (TOML) and print their reports.");
    run_cmd->add_option("ITEM", run.items, "Item files (TOML), analysed one after the other")->required();
    run_cmd->add_option("--color", run.color, "ANSI attributes on the report: always, never or auto")
        ->check(CLI::IsMember({"always", "never", "auto"}));
    run_cmd->add_flag("--plain", run.plain, "Special characters as plain text (d^(2) for d\u00B2, ...)");
    run_cmd->add_option("--report", run.report, "Append the native report (Windows-1252) to this file")
        ->option_text("FILE");
    run_cmd
        ->add_option("--html", run.html,
                     "Write the calculation sheet as an HTML document to this file (-: to standard "
                     "output, in place of the report)")
        ->option_text("FILE");
    run_cmd
        ->add_option("--pdf", run.pdf,
                     "Print the calculation sheet to this PDF file with headless Chromium (-: to "
                     "standard output, in place of the report)")
        ->option_text("FILE");
    run_cmd
        ->add_option("--pdf-timeout", run.pdf_timeout,
                     "Seconds the browser may take to print the PDF before it is stopped (default 120)")
        ->option_text("SECONDS")
        ->check(CLI::Validator(
            [](std::string& s) -> std::string {
                double v = 0;
                auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
                bool fits = ec == std::errc() && end == s.data() + s.size() && v > 0 && v <= 1e6;
                return fits ? "" : "expected a number of seconds above 0 and at most 1000000";
            },
            "SECONDS"));
    run_cmd->add_option("--paper", run.paper, "Paper size of the sheet: a4 (default) or letter")
        ->check(CLI::IsMember({"a4", "letter"}));
    run_cmd->add_flag("--json", run.json,
                      "Print the results and the report lines as JSON (one line per item when several)");
    run_cmd->footer(tx14::key_tables_text());

    bool markdown = false;
    CLI::App* keys_cmd = app.add_subcommand("keys", "Print the keys of each kind of item.");
    keys_cmd->add_flag("--markdown", markdown, "As Markdown tables (those of the README)");

    BatchOptions batch;
    std::string batch_items, batch_reports;
    CLI::App* batch_cmd =
        app.add_subcommand("batch",
                           "Analyse every row of a CSV file (header: the item keys) and print one CSV row of "
                           "results per item.");
    batch_cmd->add_option("ITEMS", batch_items, "CSV file, one item per row")->required();
    batch_cmd->add_option("--reports", batch_reports, "Write each item's native report to DIR/row-NNNN.txt")
        ->option_text("DIR");
    batch_cmd->add_option("--jobs", batch.jobs, "Threads (default: one per core)")->check(CLI::Range(1u, 1024u));
    batch_cmd->add_flag("--plain", batch.plain, "Special characters as plain text in the reports");
    std::string batch_sheets, batch_paper = "a4", batch_sheet_info;
    CLI::Option* batch_html =
        batch_cmd
            ->add_option("--html", batch_sheets,
                         "Write each item's calculation sheet to DIR/row-NNNN.html and an index.html")
            ->option_text("DIR");
    batch_cmd
        ->add_option("--sheet-info", batch_sheet_info,
                     "Sheet texts for every row (a TOML file with a [sheet] table of " + sheet_keys() +
                         "); a row's own cell wins")
        ->option_text("FILE")
        ->needs(batch_html);
    batch_cmd->add_option("--paper", batch_paper, "Paper size of the sheets: a4 (default) or letter")
        ->check(CLI::IsMember({"a4", "letter"}));

    std::string units_name;
    CLI::App* units_cmd =
        app.add_subcommand("units", "Print a unit system as a unit file: US, SI or a unit file to check.");
    units_cmd->add_option("UNITS", units_name, "US, SI or a unit file")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        std::ostringstream errors;  // they may quote an argument
        int code = app.exit(e, std::cout, errors);
        std::istringstream lines(errors.str());
        for (std::string line; std::getline(lines, line);)
            say(line);
        return code == 0 ? kExitAcceptable : kExitInputError;
    }

    try {
        if (*run_cmd) {
            const int code = run_items(run);
            if (const int signal = interrupting_signal()) {  // its files removed: now end as it asked
                std::signal(signal, SIG_DFL);
                std::raise(signal);
            }
            return code;
        }
        if (*keys_cmd) {
            std::cout << (markdown ? tx14::key_tables_markdown() : tx14::key_tables_text() + "\n");
            return std::cout.flush() ? kExitAcceptable : kExitFailure;
        }
        if (*batch_cmd) {
            for (const auto& [option, dir] : {std::pair{"--html", &batch_sheets}, {"--reports", &batch_reports}})
                if (*dir == "-") {
                    say(std::string(option) + " -: a batch writes a file per row into a directory; name one");
                    return kExitInputError;
                }
            if (auto why = batch_sheets.empty() ? std::nullopt : source_date_epoch_problem()) {
                say(*why);
                return kExitInputError;
            }
            batch.items = batch_items;
            if (!batch_reports.empty())
                batch.reports = batch_reports;
            if (!batch_sheets.empty())
                batch.sheets = batch_sheets;
            if (!batch_sheet_info.empty())
                batch.sheet_info = batch_sheet_info;
            batch.letter = batch_paper == "letter";
            batch.progress = is_terminal(stderr);
            return run_batch(batch, std::cout, std::cerr);
        }
        return print_units(units_name);
    } catch (const std::exception& e) {
        say(std::string("tx14: ") + e.what());
        return kExitFailure;
    }
}
