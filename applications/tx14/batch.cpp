// Batch runs over the rows of a CSV file.
#include "batch.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <iterator>
#include <utility>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis.hpp"
#include "calculation_sheet.hpp"
#include "cp1252.hpp"
#include "csv.hpp"
#include "item.hpp"
#include "output_file.hpp"
#include "render.hpp"
#include "text_file.hpp"

namespace tx14::cli {
namespace {

// Rows are read, analysed and written this many at a time, so that a file
// of any length needs the memory of one chunk (and the file's text).
constexpr std::size_t kChunkRows = 1024;

struct Row {
    int number = 0;                  // from 1, the header not counted
    CsvRecord record;                // as read
    Diagnostics diags;               // its messages, printed in row order
    std::vector<std::string> cells;  // as read, for the columns of a bad row
    std::optional<Item> item;        // empty: the row is wrong
    std::optional<Outcome> outcome;
    std::optional<std::string> report_error;  // why its report file could not be written
    std::optional<tx14::sheet::IndexEntry> sheet;  // with --html
};

bool is_known_key(std::string_view key)
{
    if (std::find(std::begin(items::kCommonKeys), std::end(items::kCommonKeys), key) != std::end(items::kCommonKeys) ||
        key == items::kDesignationKey)
        return true;
    for (const KindKeys& k : items::kinds()) {
        for (const NumberKey& n : k.numbers)
            if (n.name == key)
                return true;
        for (const TextKey& t : k.texts)
            if (t.name == key)
                return true;
    }
    return false;
}

std::string all_keys()
{
    std::set<std::string_view> seen;
    std::string s;
    auto add = [&](std::string_view k) {
        if (seen.insert(k).second)
            s += (s.empty() ? "" : ", ") + std::string(k);
    };
    for (std::string_view k : items::kCommonKeys)
        add(k);
    for (const KindKeys& kind : items::kinds()) {
        for (const TextKey& t : kind.texts)
            add(t.name);
        for (const NumberKey& n : kind.numbers)
            add(n.name);
    }
    add(items::kDesignationKey);
    return s;
}

bool check_header(const CsvRecord& header, const std::string& file, Diagnostics& diags)
{
    std::size_t before = diags.size();
    std::set<std::string> seen;
    for (const CsvCell& c : header.cells) {
        Position at{file, c.line, c.column};
        if (!is_known_key(c.text))
            diags.push_back({at, "unknown column \"" + c.text + "\"; valid columns: " + all_keys()});
        else if (!seen.insert(c.text).second)
            diags.push_back({at, "column \"" + c.text + "\" appears twice"});
    }
    return diags.size() == before;
}

Row read_row(const CsvRecord& header, const CsvRecord& record, int number, const std::string& file,
             UnitCatalog& units, Diagnostics& diags)
{
    Row row;
    row.number = number;
    for (const CsvCell& c : record.cells)
        row.cells.push_back(c.text);
    if (record.cells.size() != header.cells.size()) {
        diags.push_back({{file, record.line, 1},
                         "the row has " + std::to_string(record.cells.size()) +
                             " cells, the header " + std::to_string(header.cells.size())});
        return row;
    }
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < record.cells.size(); ++i) {
        const CsvCell& c = record.cells[i];
        if (!c.text.empty())
            entries.push_back({header.cells[i].text, {file, c.line, c.column}, c.text, true});
    }
    std::filesystem::path base = std::filesystem::path(file).parent_path();
    row.item = build_item(entries, file + " row " + std::to_string(number), base, units, diags);
    return row;
}

// Reads the whole file once before any row runs: a file whose quoting or
// header is wrong runs no row. The header's keys and the number of rows.
bool check_file(std::string_view text, const std::string& file, std::vector<std::string>& header_keys,
                std::size_t& rows, std::ostream& err)
{
    Diagnostics diags;
    CsvReader reader(text, file);
    CsvRecord header;
    if (!reader.next(header, diags)) {
        if (!reader.failed())
            diags.push_back({{file}, "has no header row"});
    } else {
        check_header(header, file, diags);
        for (CsvRecord record; reader.next(record, diags);)
            ++rows;
    }
    for (const Diagnostic& d : diags)
        err << format(d) << '\n';
    if (!diags.empty())
        return false;
    for (const CsvCell& c : header.cells)
        header_keys.push_back(c.text);
    return true;
}

// Builds the row's item from its record; its messages stay with the row.
void build_row(Row& row, const CsvRecord& header, const std::string& file, UnitCatalog& units)
{
    Row built = read_row(header, row.record, row.number, file, units, row.diags);
    row.cells = std::move(built.cells);
    row.item = std::move(built.item);
    const std::string where = file + " row " + std::to_string(row.number);
    for (Diagnostic& d : row.diags) {
        if (d.where.line == 0 && d.where.file == where)
            d.where = {file, row.record.line, 1};
        d.message = "row " + std::to_string(row.number) + ": " + d.message;
    }
    if (row.item)
        for (const Diagnostic& w : row.item->warnings)
            row.diags.push_back({w.where, "row " + std::to_string(row.number) + ": warning: " + w.message});
    row.record = CsvRecord{};
}

std::filesystem::path report_path(const std::filesystem::path& dir, int row)
{
    std::string n = std::to_string(row);
    return dir / ("row-" + std::string(n.size() < 4 ? 4 - n.size() : 0, '0') + n + ".txt");
}

// The row's native report as `file`: the library appends it to a new
// temporary file, which then takes the place of `file`. The reason when it
// cannot be written.
std::optional<std::string> write_row_report(Context& ctx, const Item& item, const std::filesystem::path& file,
                                            const std::filesystem::path& input)
{
    if (same_file(file, input))
        return "it is the batch file itself; refused";
    NewFile report(file);
    if (!report.ok())
        return report.error();
    if (auto why = unusable_report_name(report.temporary().string()))
        return why;
    append_report(ctx, item, report.temporary().string());
    if (int error = ctx.report_file_error())
        return std::generic_category().message(error);
    if (!report.commit())
        return report.error();
    return std::nullopt;
}

// Builds and analyses the rows of a chunk on the threads, one context each.
void analyse_rows(std::vector<Row>& rows, const CsvRecord& header, const BatchOptions& options,
                  const SheetSource& sheets, std::vector<Context>& contexts, UnitCatalog& units,
                  std::atomic<std::size_t>& done)
{
    std::atomic<std::size_t> next{0};
    const std::string file = options.items.string();
    auto worker = [&](Context& ctx) {
        for (std::size_t i = next++; i < rows.size(); i = next++) {
            Row& row = rows[i];
            build_row(row, header, file, units);
            if (row.item) {
                row.outcome = analyse(ctx, *row.item, options.sheets.has_value());  // a sheet shows the report
                if (options.reports)
                    row.report_error = write_row_report(ctx, *row.item, report_path(*options.reports, row.number),
                                                        options.items);
                if (options.sheets)
                    row.sheet = write_row_sheet(*options.sheets, row.number, *row.item, *row.outcome, sheets);
            }
            ++done;
        }
    };
    const std::size_t jobs = std::min(contexts.size(), std::max<std::size_t>(rows.size(), 1));
    std::vector<std::jthread> threads;
    for (std::size_t t = 1; t < jobs; ++t)
        threads.emplace_back(worker, std::ref(contexts[t]));
    worker(contexts[0]);
}

void draw_progress(std::ostream& err, std::size_t done, std::size_t total)
{
    constexpr std::size_t kWidth = 40;
    std::size_t filled = total ? done * kWidth / total : kWidth;
    err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << done
        << '/' << total << " items" << std::flush;
}

void write_results_header(std::ostream& out)
{
    out << "row,item,kind,code,units,status,fatal_errors,verdict,governing_check,utilization,"
           "description";
    for (const KindKeys& k : items::kinds())
        for (const ResultKey& r : k.results)
            out << ',' << r.name << ',' << r.name << "_unit";
    out << '\n';
}

void write_results(std::ostream& out, const std::vector<Row>& rows, const std::vector<std::string>& header)
{
    auto cell = [&](const Row& row, std::string_view key) {
        auto it = std::find(header.begin(), header.end(), key);
        std::size_t i = static_cast<std::size_t>(it - header.begin());
        return it == header.end() || i >= row.cells.size() ? std::string() : csv_field(row.cells[i]);
    };
    for (const Row& row : rows) {
        out << row.number << ',' << cell(row, "item") << ',' << cell(row, "kind") << ','
            << cell(row, "code") << ',' << cell(row, "units") << ',';
        if (!row.outcome) {
            out << "bad row,,,,";
        } else {
            const Record& rec = row.outcome->record;
            out << (row.outcome->fatal_errors > 0 ? "fatal input errors" : "analysed") << ','
                << row.outcome->fatal_errors << ',' << verdict_name(rec.verdict) << ',';
            if (rec.governing >= 0) {
                const RecordedCheck& g = rec.checks[static_cast<std::size_t>(rec.governing)];
                out << g.key << ',' << (std::isfinite(g.utilization) ? shortest_text(g.utilization) : "");
            } else {
                out << ',';
            }
        }
        out << ',' << cell(row, "description");
        for (const KindKeys& k : items::kinds())
            for (std::size_t i = 0; i < k.results.size(); ++i) {
                std::string value, unit;
                if (row.outcome && row.item->kind == k.kind) {
                    value = result_text(*row.item, i, *row.outcome);
                    if (!value.empty())
                        unit = csv_field(to_utf8(row.item->units->label(k.results[i].quantity)));
                }
                out << ',' << value << ',' << unit;
            }
        out << '\n';
    }
}


// The chunks of the file in order: each row's unit file read on this thread
// in row order, the rows built and analysed on the threads, their messages
// and results written; the exit code of all rows.
int run_chunks(std::string_view text, const std::vector<std::string>& header_keys, std::size_t total,
               const BatchOptions& options, const SheetSource& sheets, std::ostream& out, std::ostream& err)
{
    std::atomic<std::size_t> done{0};
    const auto start = std::chrono::steady_clock::now();
    bool drawn = false;  // the progress bar is on the last line of err
    const std::string file = options.items.string();
    const std::filesystem::path base = std::filesystem::path(file).parent_path();
    Diagnostics ignored;
    CsvReader reader(text, file);
    CsvRecord header;
    reader.next(header, ignored);
    const auto units_column = std::find(header_keys.begin(), header_keys.end(), "units") - header_keys.begin();
    UnitCatalog units;
    unsigned jobs = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::vector<Context> contexts(jobs);
    for (Context& ctx : contexts)
        ctx.set_no_special(options.plain ? 1 : 0);
    std::vector<std::string> report_errors;  // the rows' reports and sheets not written
    std::vector<tx14::sheet::IndexEntry> index;  // with --html
    int code = kExitAcceptable;
    int number = 0;
    std::vector<Row> rows;
    for (bool more = true; more;) {
        rows.clear();
        while (rows.size() < kChunkRows) {
            Row row;
            if (!reader.next(row.record, ignored)) {
                more = false;
                break;
            }
            row.number = ++number;
            if (static_cast<std::size_t>(units_column) < row.record.cells.size() &&
                row.record.cells.size() == header.cells.size())
                units.load(row.record.cells[static_cast<std::size_t>(units_column)].text, base, row.diags);
            rows.push_back(std::move(row));
        }
        analyse_rows(rows, header, options, sheets, contexts, units, done);
        for (const Row& row : rows) {
            for (const Diagnostic& d : row.diags) {
                if (std::exchange(drawn, false))
                    err << '\r' << std::string(60, ' ') << '\r';
                err << format(d) << '\n';
            }
            if (options.sheets)
                index.push_back(row.sheet ? *row.sheet : bad_row_entry(row.number));
            if (row.sheet && row.sheet->href.empty()) {
                report_errors.push_back(options.sheets->string() + ": cannot write the sheet of row " +
                                        std::to_string(row.number));
                code = kExitFailure;
            }
            if (row.report_error) {
                report_errors.push_back(report_path(*options.reports, row.number).string() +
                                        ": cannot write the report: " + *row.report_error);
                code = kExitFailure;
            } else if (!row.outcome) {
                code = worse_exit(code, kExitInputError);
            } else {
                code = worse_exit(code, row.outcome->fatal_errors > 0 ? kExitNotAnalysed
                                                                      : exit_code(row.outcome->record.verdict));
            }
        }
        write_results(out, rows, header_keys);
        if (options.progress && more && std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
            draw_progress(err, done.load(), total);
            drawn = true;
        }
    }
    if (drawn)
        err << '\r' << std::string(60, ' ') << '\r' << std::flush;
    if (options.sheets)
        if (auto why = write_new_file(*options.sheets / "index.html",
                                      tx14::sheet::index_html("Calculation sheets of " + file, index))) {
            err << (*options.sheets / "index.html").string() << ": cannot write the index: " << *why << '\n';
            code = kExitFailure;
        }
    for (const std::string& message : report_errors)
        err << message << '\n';
    return code;
}

}  // namespace

int run_batch(const BatchOptions& options, std::ostream& out, std::ostream& err)
{
    const std::string file = options.items.string();
    Diagnostics diags;
    std::optional<std::string> text = read_text_file(options.items, diags, kNoLimit);
    for (const Diagnostic& d : diags)
        err << format(d) << '\n';
    std::vector<std::string> header;
    std::size_t total = 0;
    if (!text || !check_file(*text, file, header, total, err))
        return 2;
    for (const auto& dir : {options.reports, options.sheets}) {
        std::error_code ec;
        if (!dir)
            continue;
        std::filesystem::create_directories(*dir, ec);
        if (!std::filesystem::is_directory(*dir, ec)) {
            err << dir->string() << ": cannot create the directory\n";
            return 1;
        }
    }
    const SheetSource sheets{file, sha256_hex(*text), run_date_time(),
                             options.letter ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4};

    write_results_header(out);
    const int code = run_chunks(*text, header, total, options, sheets, out, err);
    out.flush();
    return out ? code : 1;
}

}  // namespace tx14::cli
