// Batch runs over the rows of a CSV file.
#include "batch.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <optional>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "analysis.hpp"
#include "calculation_sheet.hpp"
#include "csv.hpp"
#include "item.hpp"
#include "render.hpp"
#include "text_file.hpp"

namespace tx14::cli {
namespace {

struct Row {
    int number = 0;                  // from 1, the header not counted
    std::vector<std::string> cells;  // as read, for the columns of a bad row
    std::optional<Item> item;        // empty: the row is wrong
    std::optional<Outcome> outcome;
    bool report_failed = false;
    std::optional<tx14::sheet::IndexEntry> sheet;  // with --html
};

bool is_known_key(std::string_view key)
{
    if (std::find(std::begin(kCommonKeys), std::end(kCommonKeys), key) != std::end(kCommonKeys))
        return true;
    for (const KindKeys& k : kKinds) {
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
    for (std::string_view k : kCommonKeys)
        add(k);
    for (const KindKeys& kind : kKinds) {
        for (const TextKey& t : kind.texts)
            add(t.name);
        for (const NumberKey& n : kind.numbers)
            add(n.name);
    }
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
// wrong (nothing is analysed then).
bool read_rows(const std::filesystem::path& path, std::vector<Row>& rows, std::vector<std::string>& header_keys,
               std::ostream& err)
{
    const std::string file = path.string();
    Diagnostics diags;
    std::vector<CsvRecord> records;
    std::optional<std::string> text = read_text_file(path, diags);
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
    }
    return true;
}

std::filesystem::path report_path(const std::filesystem::path& dir, int row)
{
    std::string n = std::to_string(row);
    return dir / ("row-" + std::string(n.size() < 4 ? 4 - n.size() : 0, '0') + n + ".txt");
}

// A fresh, empty report file for the row; false when it cannot be made.
bool fresh_report(const std::filesystem::path& file)
{
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(f);
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
                if (options.reports) {
                    std::filesystem::path file = report_path(*options.reports, row.number);
                    if (!unusable_report_name(file.string()) && fresh_report(file))
                        append_report(ctx, *row.item, file.string());
                    else
                        row.report_failed = true;
                }
                if (options.sheets)
                    row.sheet = write_row_sheet(options.sheets->string(), row.number, *row.item, *row.outcome, sheets);
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
    out << "row,item,kind,code,units,status,fatal_errors";
    for (const KindKeys& k : kKinds)
        for (const ResultKey& r : k.results)
            out << ',' << r.name;
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
            out << "bad row,";
        } else {
            out << (row.outcome->fatal_errors > 0 ? "fatal input errors" : "analysed") << ','
                << row.outcome->fatal_errors;
        }
        for (const KindKeys& k : kKinds)
            for (std::size_t i = 0; i < k.results.size(); ++i)
                out << ','
                    << (row.outcome && row.item->kind == k.kind ? result_text(*row.item, i, *row.outcome)
                                                               : std::string());
        out << '\n';
    }
}

bool write_index(const std::filesystem::path& dir, const std::vector<Row>& rows, const std::string& items)
{
    std::vector<tx14::sheet::IndexEntry> entries;
    for (const Row& row : rows)
        entries.push_back(row.sheet ? *row.sheet : bad_row_entry(row.number));
    std::ofstream f(dir / "index.html", std::ios::binary | std::ios::trunc);
    f << tx14::sheet::index_html("Calculation sheets of " + items, entries);
    f.close();
    return static_cast<bool>(f);
}

}  // namespace

int run_batch(const BatchOptions& options, std::ostream& out, std::ostream& err)
{
    std::vector<Row> rows;
    std::vector<std::string> header;
    if (!read_rows(options.items, rows, header, err))
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
    SheetSource sheets{options.items.string(), file_sha256(options.items.string()).value_or(""), run_date_time(),
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
    int code = 0;
    if (options.sheets && !write_index(*options.sheets, rows, options.items.string())) {
        err << (*options.sheets / "index.html").string() << ": cannot write the index\n";
        code = 1;
    }
    for (const Row& row : rows) {
        if (row.sheet && row.sheet->href.empty()) {
            err << options.sheets->string() << ": cannot write the sheet of row " << row.number << '\n';
            code = 1;
        }
        if (row.report_failed) {
            err << report_path(*options.reports, row.number).string() << ": cannot write the report\n";
            code = 1;
        } else if (!row.outcome && code != 1) {
            code = 2;
        } else if (row.outcome && row.outcome->fatal_errors > 0 && code == 0) {
            code = 3;
        }
    }
    out.flush();
    return out ? code : 1;
}

}  // namespace tx14::cli
