// Batch runs over the rows of a CSV file.
#include "batch.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "calculation_sheet.hpp"
#include "csv.hpp"
#include "escape.hpp"
#include "item.hpp"
#include "output_file.hpp"
#include "render.hpp"
#include "sheet_info.hpp"
#include "text_file.hpp"
#include "txappendix14_text.hpp"
#include "verdict.hpp"

namespace tx14::cli {
namespace {

// Rows are read, analysed and written this many at a time, from a buffer
// of the file's blocks, so that a file of any length needs the memory of
// one chunk.
constexpr std::size_t kChunkRows = 1024;
constexpr std::size_t kBufferBytes = std::size_t{1} << 19;

struct Row {
    int number = 0;                                // from 1, the header not counted
    int line = 0;                                  // where its record begins
    std::vector<CsvField> fields;                  // into the read buffer while its chunk runs
    Diagnostics diags;                             // its messages, printed in row order
    std::optional<int> code;                       // its exit code; empty: the row is wrong
    std::optional<std::string> report_error;       // why its report file could not be written
    std::optional<tx14::sheet::IndexEntry> sheet;  // with --html
    std::optional<std::string> sheet_error;        // why its sheet could not be written
    std::string result;                            // its line of the results

    void start(int n)
    {
        number = n;
        diags.clear();
        code.reset();
        report_error.reset();
        sheet.reset();
        sheet_error.reset();
    }
};

// The records of the batch file, read block by block into one of two
// buffers. The fields of the records read since the caller last let the
// buffer move point into it; those read before the last change of buffer
// point into the other.
class Records {
public:
    enum class Got { record, end, failed, full };

    Records(InputFile& in, const std::string& file, Sha256* digest)
        : in_(in), file_(file), digest_(digest), buffers_{std::vector<char>(kBufferBytes), {}}
    {
    }

    // The next record. With `holding`, the fields read before stay where
    // they are: `full` when the record does not fit beside them. Without
    // `line`, its fields may be left unread.
    Got next(std::vector<CsvField>& fields, int* line, bool holding, Diagnostics& diags)
    {
        while (true) {
            std::vector<char>& buffer = buffers_[current_];
            const std::string_view text(buffer.data(), size_);
            switch (line ? scanner_.next(text, last_, fields, *line, file_, diags)
                         : scanner_.skip(text, last_, fields, file_, diags)) {
            case CsvScanner::Step::record:
                return Got::record;
            case CsvScanner::Step::end:
                return Got::end;
            case CsvScanner::Step::failed:
                return Got::failed;
            case CsvScanner::Step::more:
                break;
            }
            if (!holding) {
                move_rest(buffer);
                if (size_ == buffer.size())
                    buffer.resize(2 * buffer.size());  // one record longer than the buffer
            } else if (size_ == buffer.size()) {
                return Got::full;
            }
            std::optional<std::size_t> n = in_.read(buffer.data() + size_, buffer.size() - size_, diags);
            if (!n)
                return Got::failed;
            if (digest_)
                digest_->add({buffer.data() + size_, *n});
            size_ += *n;
            last_ = *n == 0;
        }
    }

    // Goes on in the other buffer, so that the fields read so far stay put
    // while the records after them are read.
    void change_buffer()
    {
        std::vector<char>& to = buffers_[current_ ^ 1];
        to.resize(std::max(to.size(), buffers_[current_].size()));
        move_rest(to);
        current_ ^= 1;
    }

private:
    // What is not read yet moves to the start of `to`.
    void move_rest(std::vector<char>& to)
    {
        const std::size_t used = scanner_.at();
        const std::vector<char>& from = buffers_[current_];
        std::copy(from.begin() + static_cast<std::ptrdiff_t>(used), from.begin() + static_cast<std::ptrdiff_t>(size_),
                  to.begin());
        scanner_.drop(used);
        size_ -= used;
    }

    InputFile& in_;
    const std::string& file_;
    Sha256* digest_;
    std::array<std::vector<char>, 2> buffers_;
    std::size_t current_ = 0;
    std::size_t size_ = 0;
    bool last_ = false;
    CsvScanner scanner_;
};

bool is_known_key(std::string_view key)
{
    return std::find(std::begin(kCommonKeys), std::end(kCommonKeys), key) != std::end(kCommonKeys) ||
           key == kDesignationKey || is_sheet_key(key) ||
           std::any_of(kinds().begin(), kinds().end(),
                       [&](const KindKeys& k) { return number_key(k, key) || text_key(k, key); });
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
    for (const KindKeys& kind : kinds()) {
        for (const TextKey& t : kind.texts)
            add(t.name);
        for (const NumberKey& n : kind.numbers)
            add(n.name);
    }
    add(kDesignationKey);
    return s + ", " + sheet_keys();  // no key of a kind is a sheet text's
}

void check_header(const CsvRecord& header, const std::string& file, Diagnostics& diags)
{
    std::set<std::string> seen;
    for (const CsvCell& c : header.cells) {
        Position at{file, c.line, c.column};
        if (!is_known_key(c.text))
            diags.push_back({at, "unknown column \"" + c.text + "\"; valid columns: " + all_keys()});
        else if (!seen.insert(c.text).second)
            diags.push_back({at, "column \"" + c.text + "\" appears twice"});
    }
}

// Reads the whole file once before any row runs: a file whose quoting or
// header is wrong runs no row (`diags` say why). The header's keys and the
// number of rows.
void check_file(Records& records, const std::string& file, std::vector<std::string>& header_keys, std::size_t& rows,
                Diagnostics& diags)
{
    std::vector<CsvField> fields;
    int line = 0;
    const Records::Got got = records.next(fields, &line, false, diags);
    if (got == Records::Got::end)
        diags.push_back({{file}, "has no header row"});
    if (got != Records::Got::record)
        return;
    const CsvRecord header = csv_record(fields, line);
    check_header(header, file, diags);
    while (records.next(fields, nullptr, false, diags) == Records::Got::record)
        ++rows;
    for (const CsvCell& c : header.cells)
        header_keys.push_back(c.text);
}

// What every row of the run shares.
struct Batch {
    const BatchOptions& options;
    const std::string file;
    const std::filesystem::path base;      // where its unit files are
    std::vector<std::string> header;       // the keys of the columns
    std::array<std::size_t, 5> columns{};  // of item, kind, code, units, description: or none
    tx14::sheet::Source sheets;
    std::vector<SheetInfoText> sheet_texts;  // of --sheet-info: for every row whose cell is empty
};

constexpr std::array<std::string_view, 5> kEchoed = {"item", "kind", "code", "units", "description"};
constexpr std::size_t kUnitsColumn = 3;

// The unit cells of the results of a kind of item in a unit system.
struct UnitCells {
    const UnitSystem* units;
    Kind kind;
    std::array<std::string, 3> cells;
};

// Rows a thread takes at a time: all built, then all analysed, then all
// written up, so that the code of each step stays in the processor's cache
// from row to row.
constexpr std::size_t kRowsAtATime = 8;

// What a thread keeps from row to row, and the rows it works on: a cache
// line of its own, as the threads' workshops lie side by side.
struct alignas(64) Workshop {
    std::array<SourceItem, kRowsAtATime> items;  // kept from row to row, as their outcomes
    std::array<Outcome, kRowsAtATime> outcomes;  // kept from row to row: the record is large
    std::array<bool, kRowsAtATime> analysed{};   // false: the row is wrong (or refused, in its outcome)
    std::vector<Entry> entries;
    std::vector<std::string> unquoted;  // cells that held ""
    std::string scratch;
    std::vector<UnitCells> unit_cells;

    const std::array<std::string, 3>& unit_cells_of(const Outcome& o)
    {
        for (const UnitCells& u : unit_cells)
            if (u.units == o.units.get() && u.kind == o.keys->kind)
                return u.cells;
        UnitCells& u = unit_cells.emplace_back(UnitCells{o.units.get(), o.keys->kind, {}});
        const auto& results = o.keys->results;
        for (std::size_t i = 0; i < results.size() && i < u.cells.size(); ++i)
            u.cells[i] = text::csv_cell(to_utf8(o.units->label(results[i].quantity)));
        return u.cells;
    }
};

template <typename T>
void append_number(std::string& s, T v)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, end);
}

// Builds the row's item from its cells; its messages stay with the row.
// False when the row is wrong.
bool build_row(Row& row, const Batch& batch, UnitCatalog& units, Workshop& w, SourceItem& item)
{
    const std::string& file = batch.file;
    if (row.fields.size() != batch.header.size()) {
        row.diags.push_back({{file, row.line, 1},
                             "the row has " + std::to_string(row.fields.size()) + " cells, the header " +
                                 std::to_string(batch.header.size())});
        return false;
    }
    item.source.assign(file).append(" row ");  // for messages about the row as a whole
    append_number(item.source, row.number);
    w.entries.clear();
    w.unquoted.clear();
    w.unquoted.reserve(row.fields.size());  // the entries' texts stay put
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        const CsvField& f = row.fields[i];
        if (f.raw.empty())
            continue;  // as most cells of the other kind of item
        std::string_view text = cell_text(f.raw, w.scratch);
        if (text.empty())
            continue;
        if (text.data() == w.scratch.data())
            text = w.unquoted.emplace_back(text);
        w.entries.push_back({batch.header[i], f.line, f.column, text, true});
    }
    const std::size_t cells = w.entries.size();
    for (const SheetInfoText& t : batch.sheet_texts)
        if (std::none_of(w.entries.begin(), w.entries.begin() + static_cast<std::ptrdiff_t>(cells),
                         [&](const Entry& e) { return e.key == t.key; }))
            w.entries.push_back({t.key, t.where.line, t.where.column, std::string_view(t.text), false});
    if (!build_item(item, w.entries, file, batch.base, units, row.diags))
        return false;
    for (std::size_t i = cells; i < item.where.size(); ++i)
        item.where[i].file = batch.sheet_texts.front().where.file;  // the sheet-info file
    item.in_file = std::min(item.in_file, cells);
    return true;
}

// The row's messages: the entry's findings, then its warnings, each
// preceded by the row.
void finish_messages(Row& row, const Batch& batch, const SourceItem& item, const Outcome* o)
{
    if (o)
        for (const Finding& warning : o->warnings)
            row.diags.push_back({item.position_of(warning.key), "warning: " + warning.message});
    if (row.diags.empty())
        return;
    const std::string prefix = "row " + std::to_string(row.number) + ": ";
    for (Diagnostic& d : row.diags) {
        if (d.where.line == 0)
            d.where = {batch.file, row.line, 1};
        d.message = prefix + d.message;
    }
}

// A cell of the results as text::append_csv_cell writes it. Most cells
// (printable ASCII, beginning with none of "=+-@ " and not ending with a
// blank) as they are, or in quotes ("" for a quote) when they hold a comma
// or a quote; the others by append_csv_cell.
enum : unsigned char { kAsIs = 0, kQuoted = 1, kOther = 2 };
constexpr std::array<unsigned char, 256> kCellBytes = [] {
    std::array<unsigned char, 256> kinds{};
    for (int c = 0; c < 256; ++c)
        kinds[static_cast<std::size_t>(c)] = c < 0x20 || c > 0x7E ? kOther : c == ',' || c == '"' ? kQuoted : kAsIs;
    return kinds;
}();

void append_cell(std::string& s, std::string_view cell)
{
    unsigned char kinds =
        cell.empty() || std::string_view("=+-@ ").find(cell.front()) != std::string_view::npos || cell.back() == ' '
            ? kOther
            : kAsIs;
    for (char c : cell)
        kinds |= kCellBytes[static_cast<unsigned char>(c)];
    if (kinds == kAsIs) {
        s += cell;
    } else if (kinds == kQuoted) {
        s += '"';
        for (std::size_t from = 0;;) {
            const std::size_t quote = cell.find('"', from);
            s.append(cell.substr(from, quote == std::string_view::npos ? quote : quote + 1 - from));
            if (quote == std::string_view::npos)
                break;
            s += '"';
            from = quote + 1;
        }
        s += '"';
    } else {
        text::append_csv_cell(s, cell);
    }
}

// The texts of the reasons or the notes in one cell (printable ASCII is its
// own UTF-8).
void append_joined(std::string& s, std::string& cell, const ResultsRecord& rec, bool reasons)
{
    cell.clear();
    for (int i = 0; i < (reasons ? rec.reason_count : rec.note_count); ++i) {
        const std::string_view text = reasons ? rec.reason_text(i) : rec.note_text(i);
        if (!cell.empty())
            cell += "; ";
        if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
            cell += text;
        else
            cell += to_utf8(text);
    }
    append_cell(s, cell);
}

// The row's line of the results.
void write_result(Row& row, const Batch& batch, Workshop& w, const Outcome* outcome)
{
    std::string& s = row.result;
    s.clear();
    auto cell = [&](std::size_t echoed) {
        const std::size_t i = batch.columns[echoed];
        if (i < row.fields.size())
            append_cell(s, cell_text(row.fields[i].raw, w.scratch));
    };
    append_number(s, row.number);
    for (std::size_t echoed = 0; echoed < 4; ++echoed) {
        s += ',';
        cell(echoed);
    }
    s += ',';
    const bool ran = outcome && outcome->ran();
    if (!ran) {
        s += std::string_view("bad row,,,,");
    } else {
        const ResultsRecord& rec = outcome->record;
        s += outcome->fatal_errors > 0 ? std::string_view("fatal input errors,") : std::string_view("analysed,");
        append_number(s, outcome->fatal_errors);
        s += ',';
        s += verdict_name(rec.verdict);
        s += ',';
        if (rec.governing >= 0) {
            const RecordedCheck& g = rec.checks[static_cast<std::size_t>(rec.governing)];
            s += g.key;
            s += ',';
            if (std::isfinite(g.utilization))
                append_number(s, g.utilization);
        } else {
            s += ',';
        }
    }
    s += ',';
    cell(4);
    for (const KindKeys& k : kinds())
        for (std::size_t i = 0; i < k.results.size(); ++i) {
            std::optional<float> value;
            if (ran && outcome->keys->kind == k.kind)
                value = shown_result(*outcome, i);
            if (value) {
                s += ',';
                append_number(s, *value);
                s += ',';
                s += w.unit_cells_of(*outcome)[i];
            } else {
                s += std::string_view(",,");  // one append for the two cells
            }
        }
    for (bool reasons : {true, false}) {
        s += ',';
        if (ran)
            append_joined(s, w.scratch, outcome->record, reasons);
    }
    s += '\n';
}

std::filesystem::path report_path(const std::filesystem::path& dir, int row)
{
    return dir / row_file_name(row, ".txt");
}

// The files a batch writes: the sheets' DIR/index.html and
// DIR/row-NNNN.html, the reports' DIR/row-NNNN.txt (rows of the file only),
// and standard output when it is a file. An input among them would be
// replaced or written into.
class BatchOutputs {
public:
    BatchOutputs(const BatchOptions& options, std::size_t rows) : rows_(rows), standard_output_(standard_output_id())
    {
        if (options.sheets)
            add({*options.sheets, "--html", ".html", true, {}, {}});
        if (options.reports)
            add({*options.reports, "--reports", ".txt", false, {}, {}});
    }

    // The output `file` is ("the --html output out/index.html"), by its
    // device and inode or, for one not written yet, by its directory's and
    // its name; nullopt when it is none. "-" is standard input.
    std::optional<std::string> holding(const std::filesystem::path& file) const
    {
        const std::optional<FileId> id = file == "-" ? standard_input_id() : file_id(file);
        if (id && id == standard_output_)
            return "standard output";
        std::error_code ec;
        const std::filesystem::path real = file == "-" ? file : std::filesystem::weakly_canonical(file, ec);
        for (const Dir& d : dirs_) {
            for (const auto& [existing, name] : d.existing)
                if (id == existing)
                    return "the " + std::string(d.option) + " output " + name.string();
            if (!ec && d.id && file_id(real.parent_path()) == d.id && is_output(d, real.filename().string()))
                return "the " + std::string(d.option) + " output " + (d.path / real.filename()).string();
        }
        return std::nullopt;
    }

private:
    struct Dir {
        std::filesystem::path path;
        const char* option;
        std::string_view extension;
        bool index;
        std::optional<FileId> id;
        std::vector<std::pair<FileId, std::filesystem::path>> existing;  // outputs there already
    };

    bool is_output(const Dir& d, const std::string& name) const
    {
        if (d.index && name == "index.html")
            return true;
        if (name.size() <= 4 + d.extension.size())
            return false;
        std::size_t row = 0;
        auto [end, ec] = std::from_chars(name.data() + 4, name.data() + name.size() - d.extension.size(), row);
        return ec == std::errc() && row >= 1 && row <= rows_ &&
               name == row_file_name(static_cast<int>(row), d.extension);
    }

    void add(Dir d)
    {
        d.id = file_id(d.path);
        std::error_code ec;
        if (d.id)
            for (auto it = std::filesystem::directory_iterator(d.path, ec);
                 !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
                if (is_output(d, it->path().filename().string()))
                    if (std::optional<FileId> id = file_id(it->path()))
                        d.existing.emplace_back(*id, it->path());
        dirs_.push_back(std::move(d));
    }

    std::size_t rows_;
    std::optional<FileId> standard_output_;
    std::vector<Dir> dirs_;
};

// The row's native report as `file`: the library appends it to a new
// temporary file, which then takes the place of `file`. The reason when it
// cannot be written.
std::optional<std::string> write_row_report(Context& ctx, const SourceItem& item, const std::filesystem::path& file,
                                            const std::filesystem::path& input, bool plain)
{
    if (same_file(file, input))
        return "it is the batch file itself; refused";
    NewFile report(file);
    if (!report.ok())
        return report.error();
    Options options;
    options.plain = plain;
    options.report_file = report.temporary().string();
    if (const int error = ctx.analyse(item.item, options).report_file_error)
        return std::generic_category().message(error);
    if (!report.commit())
        return report.error();
    return std::nullopt;
}

// The rows of a chunk, shared out among threads kRowsAtATime at a time.
struct Shift {
    std::span<Row> rows;
    std::atomic<std::size_t> next{0};
};

// Builds, analyses and writes up rows of the shift on thread t, with its
// context, until none is left.
void analyse_rows(Shift& shift, std::size_t t, const Batch& batch, std::vector<Context>& contexts,
                  std::vector<Workshop>& workshops, UnitCatalog& units, std::atomic<std::size_t>& done)
{
    const BatchOptions& options = batch.options;
    const std::span<Row> rows = shift.rows;
    Context& ctx = contexts[t];
    Workshop& w = workshops[t];
    for (std::size_t first = shift.next.fetch_add(kRowsAtATime); first < rows.size();
         first = shift.next.fetch_add(kRowsAtATime)) {
        const std::span<Row> taken = rows.subspan(first, std::min(kRowsAtATime, rows.size() - first));
        for (std::size_t i = 0; i < taken.size(); ++i)
            w.analysed[i] = build_row(taken[i], batch, units, w, w.items[i]);  // to be analysed next
        Options run;
        run.plain = options.plain;
        run.report = options.sheets.has_value();  // a sheet shows the report
        for (std::size_t i = 0; i < taken.size(); ++i) {
            const SourceItem& item = w.items[i];
            Row& row = taken[i];
            if (w.analysed[i]) {
                Outcome& outcome = w.outcomes[i];
                analyse(ctx, item, run, row.diags, outcome);
                if (outcome.ran()) {
                    row.code = exit_code(outcome);
                    if (options.reports)
                        row.report_error = write_row_report(ctx, item, report_path(*options.reports, row.number),
                                                            options.items, options.plain);
                    if (options.sheets)
                        row.sheet =
                            write_row_sheet(*options.sheets, row.number, item, outcome, batch.sheets, row.sheet_error);
                }
            }
            finish_messages(row, batch, item, w.analysed[i] ? &w.outcomes[i] : nullptr);
        }
        for (std::size_t i = 0; i < taken.size(); ++i)
            write_result(taken[i], batch, w, w.analysed[i] ? &w.outcomes[i] : nullptr);
        done += taken.size();  // once per rows taken: the threads share this counter's cache line
    }
}

void draw_progress(std::ostream& err, std::size_t done, std::size_t total)
{
    constexpr std::size_t kWidth = 40;
    std::size_t filled = total ? std::min(done, total) * kWidth / total : kWidth;  // the file may grow while it runs
    err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << done << '/' << total
        << " items" << std::flush;
}

void write_results_header(std::ostream& out)
{
    out << "row,item,kind,code,units,status,fatal_errors,verdict,governing_check,utilization,"
           "description";
    for (const KindKeys& k : kinds())
        for (const ResultKey& r : k.results)
            out << ',' << r.name << ',' << r.name << "_unit";
    out << ",reasons,notes\n";
}

// The chunks of the file in order: each row's unit file read on this thread
// in row order, the rows built, analysed and written up on the threads,
// their messages and results written; the exit code of all rows. While the
// other threads run a chunk, this thread writes the one before and reads
// the one after, then joins them.
int run_chunks(Records& records, const Batch& batch, std::size_t total, const BatchOutputs& outputs, std::ostream& out,
               std::ostream& err)
{
    const BatchOptions& options = batch.options;
    std::atomic<std::size_t> done{0};
    const auto start = std::chrono::steady_clock::now();
    bool drawn = false;  // the progress bar is on the last line of err
    auto message = [&](const Diagnostic& d) {
        if (std::exchange(drawn, false))
            err << '\r' << std::string(60, ' ') << '\r';
        err << format(d) << '\n';
    };
    UnitCatalog units;
    units.refuse_when([&outputs](const std::filesystem::path& file) -> std::optional<std::string> {
        if (std::optional<std::string> output = outputs.holding(file))
            return "the unit file " + file.string() + " is " + *output + "; refused";
        return std::nullopt;
    });
    unsigned jobs = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::vector<Context> contexts(jobs);
    for (Context& ctx : contexts)
        ctx.set_no_special(options.plain ? 1 : 0);
    std::vector<Workshop> workshops(jobs);
    std::vector<std::string> report_errors;      // the rows' reports and sheets not written
    std::vector<tx14::sheet::IndexEntry> index;  // with --html
    int code = kExitAcceptable;
    int number = 0;
    Diagnostics faults;  // the file changed since it was checked
    std::string text, scratch;
    bool more = true;

    // The next chunk's rows into `rows`, each with its unit file read; their
    // number. Its fields point into a buffer of their own.
    auto read_chunk = [&](std::vector<Row>& rows) {
        std::size_t n = 0;
        records.change_buffer();
        while (more && n < kChunkRows) {
            if (n == rows.size())
                rows.emplace_back();
            Row& row = rows[n];
            const Records::Got got = records.next(row.fields, &row.line, n > 0, faults);
            if (got == Records::Got::full)
                break;
            more = got == Records::Got::record;
            if (!more)
                break;
            row.start(++number);
            const std::size_t units_column = batch.columns[kUnitsColumn];
            if (units_column < row.fields.size() && row.fields.size() == batch.header.size()) {
                const std::string_view name = cell_text(row.fields[units_column].raw, scratch);
                if (!name.empty())  // an empty cell gives no units: the row says so when it is built
                    units.load(name, batch.base, row.diags);
            }
            ++n;
        }
        return n;
    };
    auto write_chunk = [&](std::span<const Row> chunk) {
        text.clear();
        for (const Row& row : chunk) {
            for (const Diagnostic& d : row.diags)
                message(d);
            if (options.sheets)
                index.push_back(row.sheet ? *row.sheet : bad_row_entry(row.number));
            if (row.sheet_error) {
                report_errors.push_back((*options.sheets / row_file_name(row.number, ".html")).string() +
                                        ": cannot write the sheet: " + *row.sheet_error);
                code = kExitFailure;
            }
            if (row.report_error) {
                report_errors.push_back(report_path(*options.reports, row.number).string() +
                                        ": cannot write the report: " + *row.report_error);
                code = kExitFailure;
            } else {
                code = worse_exit(code, row.code.value_or(kExitInputError));
            }
            text += row.result;
        }
        out << text;
        if (options.progress && more && std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
            draw_progress(err, done.load(), total);
            drawn = true;
        }
    };

    std::vector<CsvField> header;
    int line = 0;
    records.next(header, &line, false, faults);
    std::array<std::vector<Row>, 3> sets;  // the chunk written, the one run, the one read
    std::span<Row> before;
    std::size_t count = read_chunk(sets[0]);
    for (std::size_t k = 0; count > 0; k = (k + 1) % sets.size()) {
        Shift shift{{sets[k].data(), count}};
        {
            std::vector<std::jthread> helpers;
            for (std::size_t t = 1; t < std::min<std::size_t>(jobs, count); ++t)
                helpers.emplace_back([&, t] { analyse_rows(shift, t, batch, contexts, workshops, units, done); });
            write_chunk(before);
            count = more ? read_chunk(sets[(k + 1) % sets.size()]) : 0;
            analyse_rows(shift, 0, batch, contexts, workshops, units, done);
        }
        before = shift.rows;
    }
    write_chunk(before);
    for (const Diagnostic& d : faults) {
        message(d);
        code = worse_exit(code, kExitInputError);
    }
    if (drawn)
        err << '\r' << std::string(60, ' ') << '\r' << std::flush;
    if (options.sheets)
        if (auto why = write_new_file(*options.sheets / "index.html",
                                      tx14::sheet::index_html("Calculation sheets of " + batch.file, index))) {
            err << format({{(*options.sheets / "index.html").string()}, "cannot write the index: " + *why}) << '\n';
            code = kExitFailure;
        }
    for (const std::string& message : report_errors)
        err << text::terminal(message) << '\n';
    return code;
}

}  // namespace

int run_batch(const BatchOptions& options, std::ostream& out, std::ostream& err)
{
    const std::string file = options.items.string();
    Diagnostics diags;
    InputFile in;
    std::optional<Sha256> digest;
    if (options.sheets)
        digest.emplace();                           // a sheet names the bytes of its file
    auto refuse = [&err](const Diagnostics& why) {  // before any row runs
        for (const Diagnostic& d : why)
            err << format(d) << '\n';
        return 2;
    };
    std::vector<std::string> header;
    std::size_t total = 0;
    if (in.open(options.items, diags, kNoLimit)) {
        Records records(in, file, digest ? &*digest : nullptr);
        check_file(records, file, header, total, diags);
    }
    if (!diags.empty() || !in.rewind(diags))
        return refuse(diags);
    // No output may replace the batch file, nor a unit file a row names
    // (that row is refused when it is read).
    const BatchOutputs outputs(options, total);
    if (std::optional<std::string> output = outputs.holding(options.items))
        return refuse({{{file}, "the batch file is " + *output + "; refused"}});
    std::vector<SheetInfoText> sheet_texts;
    if (options.sheet_info) {
        if (std::optional<std::string> output = outputs.holding(*options.sheet_info))
            return refuse({{{options.sheet_info->string()}, "the sheet-info file is " + *output + "; refused"}});
        if (*options.sheet_info == "-" && options.items == "-")
            return refuse({{{"-"}, "standard input is the batch file; name a file for --sheet-info"}});
        std::optional<std::vector<SheetInfoText>> read = read_sheet_info(*options.sheet_info, diags);
        if (!read)
            return refuse(diags);
        sheet_texts = std::move(*read);
    }
    for (const auto& dir : {options.reports, options.sheets}) {
        std::error_code ec;
        if (!dir)
            continue;
        std::filesystem::create_directories(*dir, ec);
        if (!std::filesystem::is_directory(*dir, ec)) {
            err << format({{dir->string()}, "cannot create the directory"}) << '\n';
            return 1;
        }
    }
    Batch batch{options,
                file,
                std::filesystem::path(file).parent_path(),
                std::move(header),
                {},
                sheet_source(file, digest ? digest->hex() : std::string(),
                             options.letter ? tx14::sheet::Paper::letter : tx14::sheet::Paper::a4),
                std::move(sheet_texts)};
    for (std::size_t e = 0; e < kEchoed.size(); ++e)
        batch.columns[e] = static_cast<std::size_t>(std::find(batch.header.begin(), batch.header.end(), kEchoed[e]) -
                                                    batch.header.begin());

    write_results_header(out);
    Records records(in, file, nullptr);
    const int code = run_chunks(records, batch, total, outputs, out, err);
    out.flush();
    return out ? code : 1;
}

}  // namespace tx14::cli
