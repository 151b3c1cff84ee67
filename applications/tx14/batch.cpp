// Batch runs over the rows of a CSV file.
#include "batch.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <iterator>
#include <optional>
#include <mutex>
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

struct Row {
    int number = 0;                  // from 1, the header not counted
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

// Reads the file and builds every row; false when the file as a whole is
// wrong (nothing is analysed then). `sha256` identifies the bytes read.
bool read_rows(const std::filesystem::path& path, std::vector<Row>& rows, std::vector<std::string>& header_keys,
               std::string& sha256, std::ostream& err)
{
    const std::string file = path.string();
    Diagnostics diags;
    std::vector<CsvRecord> records;
    std::optional<std::string> text = read_text_file(path, diags, kNoLimit);
    if (text)
        sha256 = sha256_hex(*text);
    if (text && parse_csv(*text, file, records, diags)) {
        if (records.empty())
            diags.push_back({{file}, "has no header row"});
        else
            check_header(records[0], file, diags);
    }
    for (const Diagnostic& d : diags)
        err << format(d) << '\n';
    if (!diags.empty())
        return false;

    for (const CsvCell& c : records[0].cells)
        header_keys.push_back(c.text);
    UnitCatalog units;
    for (std::size_t r = 1; r < records.size(); ++r) {
        Diagnostics row_diags;
        int number = static_cast<int>(r);
        rows.push_back(read_row(records[0], records[r], number, file, units, row_diags));
        for (Diagnostic& d : row_diags) {
            if (d.where.line == 0 && d.where.file == file + " row " + std::to_string(number))
                d.where = {file, records[r].line, 1};
            d.message = "row " + std::to_string(number) + ": " + d.message;
            err << format(d) << '\n';
        }
        if (const std::optional<Item>& item = rows.back().item)
            for (const Diagnostic& w : item->warnings)
                err << format({w.where, "row " + std::to_string(number) + ": warning: " + w.message}) << '\n';
    }
    return true;
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

void analyse_rows(std::vector<Row>& rows, const BatchOptions& options, const SheetSource& sheets,
                  std::atomic<std::size_t>& done)
{
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        Context ctx;
        ctx.set_no_special(options.plain ? 1 : 0);
        for (std::size_t i = next++; i < rows.size(); i = next++) {
            Row& row = rows[i];
            if (row.item) {
                row.outcome = analyse(ctx, *row.item);
                if (options.reports)
                    row.report_error = write_row_report(ctx, *row.item, report_path(*options.reports, row.number),
                                                        options.items);
                if (options.sheets)
                    row.sheet = write_row_sheet(*options.sheets, row.number, *row.item, *row.outcome, sheets);
            }
            ++done;
        }
    };
    unsigned jobs = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(rows.size(), 1)));
    std::vector<std::jthread> threads;
    for (unsigned t = 0; t < jobs; ++t)
        threads.emplace_back(worker);
}

void draw_progress(std::ostream& err, std::size_t done, std::size_t total)
{
    constexpr std::size_t kWidth = 40;
    std::size_t filled = total ? done * kWidth / total : kWidth;
    err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << done
        << '/' << total << " items" << std::flush;
}

void write_results(std::ostream& out, const std::vector<Row>& rows, const std::vector<std::string>& header)
{
    out << "row,item,kind,code,units,status,fatal_errors,verdict,governing_check,utilization,"
           "description";
    for (const KindKeys& k : items::kinds())
        for (const ResultKey& r : k.results)
            out << ',' << r.name << ',' << r.name << "_unit";
    out << '\n';
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

std::string index_of(const std::vector<Row>& rows, const std::string& items)
{
    std::vector<tx14::sheet::IndexEntry> entries;
    for (const Row& row : rows)
        entries.push_back(row.sheet ? *row.sheet : bad_row_entry(row.number));
    return tx14::sheet::index_html("Calculation sheets of " + items, entries);
}

}  // namespace

int run_batch(const BatchOptions& options, std::ostream& out, std::ostream& err)
{
    std::vector<Row> rows;
    std::vector<std::string> header;
    std::string sha256;
    if (!read_rows(options.items, rows, header, sha256, err))
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
    SheetSource sheets{options.items.string(), sha256, run_date_time(),
                       options.letter ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4};

    std::atomic<std::size_t> done{0};
    std::mutex m;
    std::condition_variable finished;
    bool over = false;
    std::thread runner([&] {
        analyse_rows(rows, options, sheets, done);
        std::lock_guard lock(m);
        over = true;
        finished.notify_one();
    });
    const auto start = std::chrono::steady_clock::now();
    bool drawn = false;
    {
        std::unique_lock lock(m);
        while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return over; }))
            if (options.progress && std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
                draw_progress(err, done.load(), rows.size());
                drawn = true;
            }
    }
    runner.join();
    if (drawn)
        err << '\r' << std::string(60, ' ') << '\r' << std::flush;

    write_results(out, rows, header);
    int code = kExitAcceptable;
    if (options.sheets)
        if (auto why = write_new_file(*options.sheets / "index.html", index_of(rows, options.items.string()))) {
            err << (*options.sheets / "index.html").string() << ": cannot write the index: " << *why << '\n';
            code = kExitFailure;
        }
    for (const Row& row : rows) {
        if (row.sheet && row.sheet->href.empty()) {
            err << options.sheets->string() << ": cannot write the sheet of row " << row.number << '\n';
            code = kExitFailure;
        }
        if (row.report_error) {
            err << report_path(*options.reports, row.number).string() << ": cannot write the report: "
                << *row.report_error << '\n';
            code = kExitFailure;
        } else if (!row.outcome) {
            code = worse_exit(code, kExitInputError);
        } else {
            code = worse_exit(code, row.outcome->fatal_errors > 0 ? kExitNotAnalysed
                                                                  : exit_code(row.outcome->record.verdict));
        }
    }
    out.flush();
    return out ? code : 1;
}

}  // namespace tx14::cli
