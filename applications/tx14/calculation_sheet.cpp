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
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cp1252.hpp"
#include "item_sheet.hpp"
#include "output_file.hpp"
#include "render.hpp"

extern char** environ;

namespace tx14::cli {
namespace {

namespace fs = std::filesystem;

sheet::Verdict verdict_of(Verdict v)
{
    return v == Verdict::acceptable ? sheet::Verdict::acceptable
         : v == Verdict::not_acceptable ? sheet::Verdict::not_acceptable : sheet::Verdict::not_analysed;
}

// What the sheet reads of a run.
sheet::Run run_of(const Item& item, const Outcome& outcome)
{
    sheet::Run run;
    run.fatal_errors = outcome.fatal_errors;
    for (const ReportLine& line : outcome.lines)
        run.report.push_back({line.text, line.styles});
    for (const RecordedValue& v : outcome.record.values)
        run.values.push_back({v.key, v.label, v.unit, v.display});
    for (const RecordedCheck& c : outcome.record.checks)
        run.checks.push_back({c.label, c.quantity, c.unit, c.relation, c.display_value, c.display_limit, c.passes,
                              c.utilization, c.applicable});
    run.verdict = verdict_of(outcome.record.verdict);
    run.governing = outcome.record.governing;
    for (const RecordedNote& r : outcome.record.reasons)
        run.reasons.push_back(r.text);
    for (const RecordedNote& n : outcome.record.notes)
        run.notes.push_back(n.text);
    if (item.kind == Kind::jacket)
        run.fillet_weld = outcome.results[0];
    return run;
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
    sheet::GivenItem given{&item.keys(), item.code, item.units.get(), item.number, item.reals, item.texts, {}};
    for (const Diagnostic& w : item.warnings)
        given.warnings.push_back(w.message);
    Context scratch;  // the thickness sweep's runs
    Item trial = item;
    auto rerun = [&](const std::array<float, kRealCount>& reals) {
        trial.reals = reals;
        return run_of(trial, analyse(scratch, trial));
    };
    return sheet::document_of(given, run_of(item, outcome), rerun,
                              {source.name, source.sha256, source.date_time,
                               std::string("TXAppendix14 ") + TX14_VERSION, source.paper});
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
