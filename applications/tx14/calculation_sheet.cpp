// The calculation sheet of an item run by tx14.
#include "calculation_sheet.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <utility>

#include "output_file.hpp"

namespace tx14::cli {

namespace fs = std::filesystem;

sheet::Document sheet_of(const SourceItem& item, const Outcome& outcome, const sheet::Source& source)
{
    Context scratch;  // the thickness sweep's runs: the record alone
    Options sweep;
    sweep.report = false;
    auto rerun = [&](const Change& change) { return scratch.analyse(item.item, sweep, &change); };
    return sheet::document_of(outcome, rerun, source);
}

std::string row_file_name(int row, std::string_view extension)
{
    std::string n = std::to_string(row);
    return "row-" + std::string(n.size() < 4 ? 4 - n.size() : 0, '0') + n + std::string(extension);
}

sheet::IndexEntry write_row_sheet(const fs::path& dir, int row, const SourceItem& item, const Outcome& outcome,
                                  const sheet::Source& batch, std::optional<std::string>& error)
{
    const std::string n = std::to_string(row), file = row_file_name(row, ".html");
    sheet::Source source = batch;
    source.name += " row " + n;
    sheet::Document doc = sheet_of(item, outcome, source);
    sheet::IndexEntry e{n, doc.item, doc.description, file, doc.verdict, "", NAN, false};
    if (doc.governing >= 0) {
        const sheet::CheckRow& g = doc.checks[static_cast<std::size_t>(doc.governing)];
        e.governing = g.label;
        e.utilization = g.utilization;
        e.passes = g.passes;
    }
    if ((error = write_new_file(dir / file, sheet::html(doc))))
        e.href.clear();
    return e;
}

sheet::IndexEntry bad_row_entry(int row)
{
    return {std::to_string(row), "", "bad row: not analysed", "", Verdict::not_analysed, "", NAN, false};
}

namespace {

// The latest time a sheet shows in four digits: 9999-12-31 23:59:59 UTC.
constexpr long long kLastSecond = 253402300799;

// SOURCE_DATE_EPOCH: none when unset (or empty), its seconds, or -1 when
// not a whole number from 0 to kLastSecond.
std::optional<long long> source_date_epoch()
{
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text)
        return std::nullopt;
    const std::string_view s(text);
    long long seconds = -1;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), seconds);
    return ec == std::errc() && end == s.data() + s.size() && seconds >= 0 && seconds <= kLastSecond ? seconds : -1;
}

}  // namespace

std::optional<std::string> source_date_epoch_problem()
{
    if (source_date_epoch() != -1)
        return std::nullopt;
    return "SOURCE_DATE_EPOCH: \"" + std::string(std::getenv("SOURCE_DATE_EPOCH")) +
           "\" is not a whole number of seconds from 0 to " + std::to_string(kLastSecond) +
           " (the years 1970 to 9999); refused";
}

sheet::Source sheet_source(std::string name, std::string sha256, sheet::Paper paper)
{
    const std::optional<long long> epoch = source_date_epoch();
    const std::time_t t = epoch && *epoch >= 0 ? static_cast<std::time_t>(*epoch) : std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char date_time[40];
    std::strftime(date_time, sizeof date_time, "%Y-%m-%d %H:%M UTC", &tm);
    return {std::move(name), std::move(sha256), date_time, std::string("TXAppendix14 ") + TX14_VERSION, paper};
}

}  // namespace tx14::cli
