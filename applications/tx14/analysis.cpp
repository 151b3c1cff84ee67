// Running an item through the library's context API.
#include "analysis.hpp"

#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <fcntl.h>
#include <cerrno>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "cp1252.hpp"

namespace tx14::cli {
namespace {

constexpr int kFileNameWidth = 256;
constexpr int kCaptureRecords = 500;
constexpr int kCaptureText = 100;   // columns 5-104 of a capture record
constexpr int kStyleColumn = 108;   // six 2-column codes from column 109 (0-based 108)
constexpr int kStyledRecord = 120;  // a file record with style codes
constexpr float kFileUnit = 10.0f;  // any positive unit number selects file mode

Styles parse_styles(std::string_view codes)
{
    Styles s{};
    for (std::size_t i = 0; i < s.size() && 2 * i + 2 <= codes.size(); ++i) {
        std::string_view c = codes.substr(2 * i, 2);
        while (!c.empty() && c.front() == ' ')
            c.remove_prefix(1);
        int v = 0;
        auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), v);
        if (ec == std::errc() && end == c.data() + c.size())
            s[i] = v;
    }
    return s;
}

std::string without_trailing_blanks(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

struct HostCall {
    std::array<float, kRealCount> reals;
    std::array<char, kFileNameWidth> file;
    std::array<float, kFactorCount> factors;
    std::array<char, kLabelCount * kLabelWidth> labels;
    std::int32_t errors = 0;
    std::int32_t print_control = 0;

    HostCall(const Item& item, std::string_view report_file)
        : reals(item.reals), factors(item.units->host_factors()), labels(item.units->host_labels())
    {
        file.fill(' ');
        report_file.copy(file.data(), std::min<std::size_t>(report_file.size(), file.size()));
        reals[kReportUnitElement - 1] = report_file.empty() ? 0.0f : kFileUnit;
        mark_results(item.keys(), reals.data());
    }

    void run(Context& ctx, const Item& item)
    {
        const char run_mode = ' ';
        ctx.analyse(reals.data(), item.texts.data(), &run_mode, &errors, file.data(), labels.data(), factors.data(),
                    &print_control);
    }
};

std::vector<ReportLine> captured(const Context& ctx)
{
    std::vector<ReportLine> lines;
    for (int i = 0; i < ctx.captured_lines(); ++i)
        lines.push_back(parse_capture_record(ctx.captured_record(i).substr(4)));
    return lines;
}

// Creates a new, empty file of this process for the report of a long item;
// exclusively, so that no file or link planted under the name is written.
std::optional<std::filesystem::path> temporary_report()
{
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path file =
            dir / ("tx14-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".txt");
#if defined(_WIN32)
        int fd = -1;
        _sopen_s(&fd, file.string().c_str(), _O_WRONLY | _O_CREAT | _O_EXCL, _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _close(fd);
            return file;
        }
#else
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return file;
        }
#endif
        if (errno != EEXIST)
            break;
    }
    return std::nullopt;
}

std::vector<ReportLine> read_report_file(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<ReportLine> lines;
    std::string_view rest = text;
    while (!rest.empty()) {
        std::size_t nl = rest.find('\n');
        std::string_view record = rest.substr(0, nl);
        if (!record.empty() && record.back() == '\r')
            record.remove_suffix(1);
        lines.push_back(parse_file_record(record));
        rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    }
    return lines;
}

// The report of an item too long for the capture block, through a file.
std::optional<std::vector<ReportLine>> lines_through_file(Context& ctx, const Item& item)
{
    std::optional<std::filesystem::path> file = temporary_report();
    if (!file)
        return std::nullopt;
    std::vector<ReportLine> lines;
    if (!unusable_report_name(file->string())) {
        HostCall call(item, file->string());
        call.run(ctx, item);
        lines = read_report_file(*file);
    }
    std::error_code ec;
    std::filesystem::remove(*file, ec);
    if (lines.size() < kCaptureRecords)
        return std::nullopt;  // could not be written: keep the captured lines
    return lines;
}

}  // namespace

ReportLine parse_capture_record(std::string_view record)
{
    ReportLine line{without_trailing_blanks(record.substr(0, kCaptureText)), {}};
    if (record.size() >= kStyleColumn - 4 + 12)
        line.styles = parse_styles(record.substr(kStyleColumn - 4, 12));
    return line;
}

ReportLine parse_file_record(std::string_view record)
{
    ReportLine line{without_trailing_blanks(record.substr(std::min<std::size_t>(1, record.size()), kCaptureText)), {}};
    if (record.size() == kStyledRecord)
        line.styles = parse_styles(record.substr(kStyleColumn, 12));
    return line;
}

std::optional<std::string> unusable_report_name(std::string_view file)
{
    if (file.empty())
        return "the report file name is empty";
    if (file.size() >= kFileNameWidth)
        return "the report file name is longer than 255 bytes";
    if (file.front() == ' ' || file.back() == ' ')
        return "the report file name begins or ends with a blank";
    if (file.find('\0') != std::string_view::npos)
        return "the report file name holds a NUL byte";
    return std::nullopt;
}

namespace {

// The verdict, its reasons and notes, and the governing check alone (then
// the only check).
Record read_verdict(const Context& ctx)
{
    Record rec;
    rec.verdict = static_cast<Verdict>(ctx.verdict());
    tx14_check c;
    if (ctx.governing() >= 0 && ctx.check(ctx.governing(), c)) {
        rec.checks.push_back(recorded_check(c));
        rec.governing = 0;
    }
    read_notes(ctx, rec);
    return rec;
}

}  // namespace

Outcome analyse(Context& ctx, const Item& item, bool with_lines)
{
    HostCall call(item, {});
    call.run(ctx, item);
    Outcome out;
    if (with_lines)
        out.lines = captured(ctx);
    out.results = read_results(item.keys(), call.reals.data());
    out.fatal_errors = ctx.input_errors();
    out.record = with_lines ? read_record(ctx) : read_verdict(ctx);
    if (out.fatal_errors > 0)
        out.results = {};
    if (with_lines && ctx.captured_lines() >= kCaptureRecords)
        if (auto lines = lines_through_file(ctx, item))
            out.lines = std::move(*lines);
    return out;
}

void append_report(Context& ctx, const Item& item, const std::string& file)
{
    HostCall call(item, file);
    call.run(ctx, item);
}

}  // namespace tx14::cli
