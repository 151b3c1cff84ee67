// The calculation sheet of an item run by tx14.
#include "calculation_sheet.hpp"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cp1252.hpp"
#include "output_file.hpp"
#include "render.hpp"

extern char** environ;

namespace tx14::cli {
namespace {

namespace fs = std::filesystem;

bool is_coil(const Item& item) { return item.kind == Kind::jacket && (item.code == "PD5500" || item.code == "EN13445"); }

const NumberKey* number_key(const Item& item, std::string_view name)
{
    for (const NumberKey& k : item.keys().numbers)
        if (k.name == name)
            return &k;
    return nullptr;
}

// A given input value in internal units; nullopt when left out.
std::optional<float> given(const Item& item, std::string_view name)
{
    const NumberKey* k = number_key(item, name);
    if (!k || item.element(k->element) == items::kMissingValue)
        return std::nullopt;
    return item.element(k->element);
}

std::string shown(const Item& item, Quantity q, float internal)
{
    return sheet::significant(item.units->to_display(q, internal)) + " " + to_utf8(item.units->label(q));
}

// A dimension of the sketch: its size in inches, labelled in the item's units.
sheet::Dimension dimension(const Item& item, std::string_view name)
{
    std::optional<float> v = given(item, name);
    if (!v || !(*v > 0))
        return {std::string(name), 0, ""};
    return {std::string(name), *v, shown(item, number_key(item, name)->quantity, *v)};
}

// Outside diameter of a standard pipe of a nominal size, for the drawing.
double pipe_outside_diameter(double NPS)
{
    constexpr std::pair<double, double> kPipes[] = {
        {1.5, 1.9}, {2, 2.375}, {2.5, 2.875}, {3, 3.5}, {3.5, 4.0}, {4, 4.5}, {5, 5.563}, {6, 6.625}};
    for (auto [size, od] : kPipes)
        if (NPS == size)
            return od;
    return NPS;
}

sheet::Sketch sketch_of(const Item& item, const Outcome& outcome)
{
    sheet::Sketch s;
    if (item.kind == Kind::opening) {
        s.component = sheet::Component::head;
        for (const char* name : {"A", "Bn", "t", "g0s", "g1s", "hs", "g0n", "g1n", "hn"})
            s.dimensions.push_back(dimension(item, name));
        return s;
    }
    s.component = is_coil(item) ? sheet::Component::coil : sheet::Component::jacket;
    for (const char* name : {"D", "ts", "Tj"})
        s.dimensions.push_back(dimension(item, name));
    std::optional<float> r = given(item, "r"), NPS = given(item, "NPS");
    if (r && *r > 0)
        s.dimensions.push_back(dimension(item, "r"));
    else if (NPS && *NPS > 0)
        s.dimensions.push_back({"NPS", pipe_outside_diameter(*NPS) / 2, sheet::significant(*NPS)});
    if (outcome.results[0] && *outcome.results[0] > 0)
        s.dimensions.push_back({"weld", *outcome.results[0], shown(item, Quantity::thickness, *outcome.results[0])});
    return s;
}

// ---- Results: the one place that reads what a run gave --------------------

// The values a sheet shows of each kind, by their keys in the record; the
// report has the others.
constexpr std::string_view kHeadKeys[] = {"P", "t", "MAWP", "t_min", "largest_stress", "Sho", "W"};
constexpr std::string_view kJacketKeys[] = {"Pj", "ts", "Tr", "Trj", "K", "Kp", "Pprime_ts", "Pprime_Trj",
                                            "Tj", "T", "Fillet"};
constexpr std::string_view kCoilKeys[] = {"pc", "e", "ec", "e_coil", "e_cylinder", "pMaxC1", "pMaxC2", "pMax"};

std::span<const std::string_view> key_values_of(const Item& item)
{
    if (item.kind == Kind::opening)
        return kHeadKeys;
    return is_coil(item) ? std::span<const std::string_view>(kCoilKeys) : kJacketKeys;
}

const RecordedValue* recorded(const Record& rec, std::string_view key)
{
    for (const RecordedValue& v : rec.values)
        if (v.key == key)
            return &v;
    return nullptr;
}

sheet::Verdict verdict_of(Verdict v)
{
    return v == Verdict::acceptable ? sheet::Verdict::acceptable
         : v == Verdict::not_acceptable ? sheet::Verdict::not_acceptable : sheet::Verdict::not_analysed;
}

// Verdict, checks and key values of a run, from its results record.
void fill_results(sheet::Document& doc, const Item& item, const Outcome& outcome)
{
    const Record& rec = outcome.record;
    for (std::string_view key : key_values_of(item))
        if (const RecordedValue* v = recorded(rec, key))
            doc.values.push_back({v->label, v->unit, v->display});
    for (const RecordedCheck& c : rec.checks)
        doc.checks.push_back({c.label, c.unit, c.display_value, c.display_limit, c.relation == ">=", c.passes,
                              c.utilization});
    doc.verdict = verdict_of(rec.verdict);
    doc.governing = rec.governing;
}

// The plotted results of a run: M.A.W.P. and the largest stress ratio of a
// head, P' at ts of a jacket, both maximum pressures of a coil.
std::vector<double> plotted(const Item& item, const Outcome& outcome)
{
    auto value = [&](std::string_view key) {
        const RecordedValue* v = recorded(outcome.record, key);
        return v ? static_cast<double>(v->display) : NAN;
    };
    if (item.kind == Kind::jacket)
        return is_coil(item) ? std::vector<double>{value("pMaxC1"), value("pMaxC2")}
                             : std::vector<double>{value("Pprime_ts")};
    double ratio = NAN;
    for (const RecordedCheck& c : outcome.record.checks)
        if (c.quantity == "stress" && std::isfinite(c.utilization))
            ratio = std::isnan(ratio) ? c.utilization : std::max(ratio, static_cast<double>(c.utilization));
    return {value("MAWP"), ratio};
}

std::vector<sheet::Series> plotted_series(const Item& item)
{
    std::string unit = to_utf8(item.units->label(Quantity::pressure));
    if (item.kind == Kind::opening)
        return {{"M.A.W.P.", unit, {}, false}, {"largest stress ratio", "", {}, true}};
    if (is_coil(item))
        return {{"pMaxC1, coil side", unit, {}, false}, {"pMaxC2, cylinder side", unit, {}, false}};
    return {{"permissible jacket pressure P' at ts", unit, {}, false}};
}

// 41 runs of the item on a scratch context, its thickness from 0.5 to 2
// times the given one.
sheet::Plot plot_of(const Item& item, const Outcome& outcome)
{
    bool head = item.kind == Kind::opening;
    const char* swept = head ? "t" : "ts";
    sheet::Plot p;
    std::optional<float> t0 = given(item, swept);
    if (!t0 || !(*t0 > 0))
        return p;
    p.x_label = head ? "head thickness t" : "shell thickness ts";
    p.x_unit = to_utf8(item.units->label(Quantity::thickness));
    p.title = (head ? "M.A.W.P. and the largest stress ratio against the head thickness t"
                    : is_coil(item) ? "Maximum coil pressures pMaxC1 and pMaxC2 against the cylinder thickness"
                                    : "Permissible jacket pressure P' against the shell thickness ts") +
              std::string(", from 0.5 to 2 times the given thickness");
    p.series = plotted_series(item);
    if (is_coil(item))
        p.y_label = "maximum coil pressure";
    Context scratch;
    Item trial = item;
    for (int i = 0; i <= 40; ++i) {
        float t = *t0 * (0.5f + 0.0375f * static_cast<float>(i));
        trial.element(number_key(item, swept)->element) = t;
        Outcome o = analyse(scratch, trial);
        std::vector<double> y = plotted(item, o);
        p.x.push_back(item.units->to_display(Quantity::thickness, t));
        for (std::size_t k = 0; k < p.series.size() && k < y.size(); ++k)
            p.series[k].y.push_back(o.fatal_errors > 0 ? NAN : y[k]);
    }
    p.marks.push_back({std::string(swept) + " = " + shown(item, Quantity::thickness, *t0),
                       item.units->to_display(Quantity::thickness, *t0), true, false});
    const char* pressure = head ? "P" : "Pj";
    if (std::optional<float> P = given(item, pressure))
        p.marks.push_back({std::string(pressure) + " = " + shown(item, Quantity::pressure, *P),
                           item.units->to_display(Quantity::pressure, *P), false, false});
    if (const RecordedValue* Trj = recorded(outcome.record, "Trj"); Trj && !head && !is_coil(item))
        p.marks.push_back({"Trj = " + sheet::significant(Trj->display) + " " + Trj->unit, Trj->display, true, false});
    return p;
}

// The report's warnings: runs of warning lines, without the headline and
// without the result lines of formulas (shown as warnings when out of bounds).
std::vector<std::string> report_warnings(const Outcome& outcome)
{
    std::vector<std::string> out;
    bool in_run = false;
    for (const ReportLine& line : outcome.lines) {
        std::size_t first = line.text.find_first_not_of(' ');
        bool warning = line.styles[4] != 0 && line.styles[2] == 0 && first != std::string::npos &&
                       line.text[first] != '=';
        if (warning && in_run)
            out.back() += " " + to_utf8(line.text, F8::theta);
        else if (warning)
            out.push_back(to_utf8(line.text, F8::theta));
        in_run = warning;
    }
    return out;
}

// Runs a program with its output thrown away; true when it exits with 0.
bool run_quietly(std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    bool ran = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
               waitpid(pid, &status, 0) == pid;
    posix_spawn_file_actions_destroy(&actions);
    return ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

sheet::Document sheet_of(const Item& item, const Outcome& outcome, const SheetSource& source)
{
    sheet::Document doc;
    for (const ReportLine& line : outcome.lines)
        doc.report.push_back({line.text, line.styles});
    sheet::name_analysis(doc);
    doc.item = item.number ? std::to_string(*item.number) : "";
    doc.description = text_field(item, "description");
    doc.materials = text_field(item, "material");
    if (item.kind == Kind::jacket)
        doc.materials = "cylinder " + doc.materials + ", " + (is_coil(item) ? "coil " : "jacket ") +
                        text_field(item, "jacket_material");
    doc.unit_system = item.units->name;
    doc.date_time = source.date_time;
    doc.library_version = std::string("TXAppendix14 ") + TX14_VERSION;
    doc.input_name = source.name;
    doc.sha256 = source.sha256;
    doc.paper = source.paper;
    fill_results(doc, item, outcome);
    for (const Diagnostic& w : item.warnings)
        doc.warnings.push_back(w.message);
    for (std::string& w : report_warnings(outcome))
        doc.warnings.push_back(std::move(w));
    doc.sketch = sketch_of(item, outcome);
    if (outcome.fatal_errors == 0)
        doc.plot = plot_of(item, outcome);
    return doc;
}

sheet::IndexEntry write_row_sheet(const fs::path& dir, int row, const Item& item, const Outcome& outcome,
                                  const SheetSource& batch)
{
    std::string n = std::to_string(row);
    std::string file = "row-" + std::string(n.size() < 4 ? 4 - n.size() : 0, '0') + n + ".html";
    SheetSource source = batch;
    source.name += " row " + n;
    sheet::Document doc = sheet_of(item, outcome, source);
    sheet::IndexEntry e{n, doc.item, doc.description, file, doc.verdict, "", NAN};
    if (doc.governing >= 0) {
        e.governing = doc.checks[static_cast<std::size_t>(doc.governing)].label;
        e.utilization = doc.checks[static_cast<std::size_t>(doc.governing)].utilization;
    }
    if (write_new_file(dir / file, sheet::html(doc)))
        e.href.clear();
    return e;
}

sheet::IndexEntry bad_row_entry(int row)
{
    return {std::to_string(row), "", "bad row: not analysed", "", sheet::Verdict::not_analysed, "", NAN};
}

std::string run_date_time()
{
    std::time_t t = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        errno = 0;
        long long v = std::strtoll(epoch, &end, 10);
        if (errno == 0 && end != epoch && *end == '\0' && v >= 0)
            t = static_cast<std::time_t>(v);
    }
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[40];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M UTC", &tm);
    return buf;
}

bool print_pdf(const std::string& html, std::string& pdf, std::string& error)
{
    const char* env = std::getenv("TX14_CHROMIUM");
    std::string browser = env && *env ? env : "/usr/bin/chromium";
    if (access(browser.c_str(), X_OK) != 0) {
        error = "no browser at " + browser + " to print the PDF; install Chromium (as root: "
                "apt-get install -y chromium) or name its binary in TX14_CHROMIUM";
        return false;
    }
    // The page, the browser's profile and the PDF in a fresh directory.
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "tx14-sheet-XXXXXX").string();
    if (ec || !mkdtemp(pattern.data())) {
        error = "cannot make a temporary directory for the browser";
        return false;
    }
    const fs::path dir = pattern, page = dir / "sheet.html", printed = dir / "sheet.pdf";
    bool ran = false;
    if (std::ofstream(page, std::ios::binary) << html) {
        std::vector<std::string> args = {browser, "--headless", "--disable-gpu", "--no-first-run",
                                         "--disable-background-networking", "--disable-component-update",
                                         "--disable-sync", "--disable-quic", "--no-pdf-header-footer",
                                         "--user-data-dir=" + (dir / "profile").string(),
                                         "--print-to-pdf=" + printed.string(), "file://" + page.string()};
        if (geteuid() == 0)
            args.insert(args.begin() + 1, "--no-sandbox");
        ran = run_quietly(args);
    }
    std::ifstream f(printed, std::ios::binary);
    pdf.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    fs::remove_all(dir, ec);
    if (!ran || pdf.rfind("%PDF", 0) != 0) {
        error = browser + " could not print the PDF";
        return false;
    }
    return true;
}

}  // namespace tx14::cli
