// Fuzz target: one whole LGCENTER call from arbitrary bytes (any reals,
// texts, unit labels and factors, special-character flag, capture or file
// mode), then the checks a host relies on: the call returns with a whole
// report that ends with the closing lines, the capture block and the file
// hold only well-formed records, and the host's arrays change only where
// they may.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.hpp"
#include "lgcenter_input.hpp"
#include "report/report.hpp"
#include "txappendix14.hpp"

namespace {

using namespace tx14::fuzz;
namespace fs = std::filesystem;

// A signalling NaN: no arithmetic produces one, so a result element still
// holding it after the call was not written.
constexpr std::uint32_t kUnwritten = 0x7fa0dead;
constexpr std::int32_t kUntouchedCount = -12345;
constexpr int kOpeningResults[] = {30, 31, 32};
constexpr int kJacketResults[] = {196, 197, 198};
constexpr std::string_view kEarlierContent = "an earlier report line that must survive\n";
constexpr std::string_view kNotice = "TXAppendix14 Calculation Library, Copyright \xA9 2026";
constexpr std::string_view kPlainNotice = "TXAppendix14 Calculation Library, Copyright c 2026";
// Bytes the special-character conversion never leaves behind (the one
// half may stay when it stands too near the end of the line).
constexpr std::string_view kConverted = "\xB2\xB3\xA9\xB0\xF8`";

std::uint32_t bits(float v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

float from_bits(std::uint32_t u)
{
    float v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

// An integer carried as a float, truncated toward zero (0 when it does not
// fit 32 bits, NaN included).
int truncated(float v) { return v >= -2147483648.0f && v < 2147483648.0f ? static_cast<int>(v) : 0; }

// The file-mode paths of this process: a report file, and one in a folder
// that does not exist.
struct Scratch {
    ScratchDir dir;
    fs::path file = dir.path() / "report.txt";
    fs::path missing = dir.path() / "no such folder" / "report.txt";
};

Scratch& scratch()
{
    static Scratch s;
    return s;
}

// Exact-size heap copies of the host's arrays, so that AddressSanitizer
// reports any access past their ends.
template <typename T, std::size_t N>
std::unique_ptr<T[]> heap_copy(const std::array<T, N>& a)
{
    std::unique_ptr<T[]> p(new T[N]);
    std::memcpy(p.get(), a.data(), sizeof(T) * N);
    return p;
}

// One report line as a reader sees it: its text and its style codes.
struct Line {
    std::string_view text;
    tx14::LineStyles styles{};
};

constexpr tx14::LineStyles kStylesInUse[] = {
    {},
    tx14::style::kTitle,
    tx14::style::kCaption,
    tx14::style::kResultCaption,
    tx14::style::kWarning,
    tx14::style::kWarningHeadline,
    tx14::style::kNote,
    tx14::style::kNotice,
    tx14::style::kSummaryTitle,
};

// Six right-justified 2-column integers, one of the combinations in use.
tx14::LineStyles parse_styles(std::string_view columns)
{
    tx14::LineStyles s{};
    for (std::size_t i = 0; i < 6; ++i) {
        std::string_view code = columns.substr(2 * i, 2);
        require(code[0] == ' ' && code[1] >= '0' && code[1] <= '9', "style column not a code");
        s[i] = code[1] - '0';
    }
    for (const tx14::LineStyles& known : kStylesInUse)
        if (s == known)
            return s;
    fail("style combination not in use");
}

// Capture record: 4 blanks, 100 characters of text, 4 blanks, the styles,
// a NUL, 4 blanks.
Line capture_line(std::string_view rec)
{
    require(rec.size() == 125, "capture record width");
    require(rec.substr(0, 4) == "    ", "capture record columns 1-4");
    require(rec.substr(104, 4) == "    ", "capture record columns 105-108");
    require(rec[120] == '\0', "capture record column 121");
    require(rec.substr(121) == "    ", "capture record columns 122-125");
    return {rec.substr(4, 100), parse_styles(rec.substr(108, 12))};
}

// File record: a blank and the line's text (100 characters as a rule),
// then, when the line has styles, blanks to column 108 and the styles.
Line file_line(std::string_view rec)
{
    require(rec.size() <= 101 || rec.size() == 120, "file record length");
    require(!rec.empty() && rec[0] == ' ', "file record column 1");
    Line line{rec.substr(1, 100), {}};
    if (rec.size() == 120) {
        require(rec.substr(101, 7) == "       ", "file record columns 102-108");
        line.styles = parse_styles(rec.substr(108, 12));
        require(line.styles != tx14::LineStyles{}, "file record with zero styles");
    }
    return line;
}

std::vector<Line> file_lines(std::string_view text)
{
    std::vector<Line> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        require(end != std::string_view::npos, "file ends inside a record");
        lines.push_back(file_line(text.substr(0, end)));
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool any_line_contains(const std::vector<Line>& lines, std::string_view what)
{
    for (const Line& l : lines)
        if (l.text.find(what) != std::string_view::npos)
            return true;
    return false;
}

bool any_line_starts_with(const std::vector<Line>& lines, std::string_view what)
{
    for (const Line& l : lines)
        if (l.text.substr(0, what.size()) == what)
            return true;
    return false;
}

// The report ends with a blank line and the notice (when the capture block
// overflowed, only the notice is certain: it overwrote record 500).
void check_closing_lines(const std::vector<Line>& lines, bool plain, bool complete)
{
    require(lines.size() >= 2, "report shorter than its closing lines");
    const Line& notice = lines.back();
    std::string_view expected = plain ? kPlainNotice : kNotice;
    require(notice.text.substr(0, expected.size()) == expected, "last line is not the notice");
    require(notice.text.find_first_not_of(' ', expected.size()) == std::string_view::npos, "notice followed by text");
    require(notice.styles == tx14::style::kNotice, "notice styles");
    if (complete) {
        const Line& blank = lines[lines.size() - 2];
        require(blank.text.find_first_not_of(' ') == std::string_view::npos, "no blank line before the notice");
        require(blank.styles == tx14::LineStyles{}, "styles on the blank closing line");
    }
}

// Result elements: all three written or none.
bool results_written(const float* reals, const int (&elements)[3])
{
    int written = 0;
    for (int n : elements)
        written += bits(reals[n - 1]) != kUnwritten;
    require(written == 0 || written == 3, "results written in part");
    return written == 3;
}

bool is_result(int n, const int (&elements)[3]) { return n == elements[0] || n == elements[1] || n == elements[2]; }

// Element 200 (and the code selector 20) as the steering byte asks.
void steer_item_kind(CallInput& in)
{
    if (in.kind == kOpening) {
        in.element(200) = 0.0f;
    } else if (in.kind >= kJacketCode1 && in.kind < kJacketCode1 + 4) {
        in.element(200) = 1.0f;
        in.element(20) = static_cast<float>(in.kind - kJacketCode1 + 1);
    }
}

// The real array of the call: result elements hold the unwritten marker,
// which no other element may then hold.
std::array<float, 200> reals_of(CallInput& in)
{
    std::array<float, 200> reals;
    for (int n = 1; n <= 200; ++n) {
        float v = in.element(n);
        if (bits(v) == kUnwritten)
            v = from_bits(kUnwritten | 0x00400000u);  // quietened: the marker stays unique
        if (is_result(n, kOpeningResults) || is_result(n, kJacketResults))
            v = from_bits(kUnwritten);
        reals[static_cast<std::size_t>(n - 1)] = v;
    }
    return reals;
}

// What one call leaves behind.
struct Outcome {
    std::unique_ptr<float[]> reals;
    std::int32_t error_count = kUntouchedCount;
    std::int32_t print_control = -7;
};

// Runs the call with exact-size heap copies of the host's arrays.
Outcome run(tx14::Context& ctx, const CallInput& in, const std::array<float, 200>& reals,
            const std::array<char, 256>& file_name)
{
    Outcome out;
    out.reals = heap_copy(reals);
    auto texts = heap_copy(in.texts);
    auto labels = heap_copy(in.labels);
    auto factors = heap_copy(in.factors);
    auto report_file = heap_copy(file_name);
    auto run_mode = std::make_unique<char>(in.run_mode);
    ctx.set_no_special(in.no_special);
    ctx.analyse(out.reals.get(), texts.get(), run_mode.get(), &out.error_count, report_file.get(), labels.get(),
                factors.get(), &out.print_control);
    return out;
}

std::vector<Line> captured_lines(const tx14::Context& ctx)
{
    const int count = ctx.captured_lines();
    require(count >= 2 && count <= 500, "captured-line count");
    std::vector<Line> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(capture_line(ctx.captured_record(i)));
    return lines;
}

// The text of a line as a report file holds it: line breaks of the host's
// texts become blanks there.
std::string as_in_file(std::string_view text)
{
    std::string s(text);
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return s;
}

// A report (from a file or a capture block) holds the same lines as the
// capture block of the same call.
void check_same_report(const std::vector<Line>& lines, const std::vector<Line>& captured)
{
    require(lines.size() == captured.size(), "reports of the same call differ in length");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string l = as_in_file(lines[i].text);
        const std::string c = as_in_file(captured[i].text);
        require(l == c.substr(0, l.size()) && c.find_first_not_of(' ', l.size()) == std::string::npos,
                "reports of the same call differ in a line");
        require(lines[i].styles == captured[i].styles, "reports of the same call differ in styles");
    }
}

// The host's array after a run: results where due, zeros for the missing-
// value marks, everything else as it was.
bool check_reals(const std::array<float, 200>& before, const float* after, bool jacket)
{
    const int(&own)[3] = jacket ? kJacketResults : kOpeningResults;
    const int(&other)[3] = jacket ? kOpeningResults : kJacketResults;
    for (int n = 1; n <= 200; ++n) {
        if (is_result(n, own))
            continue;
        const float was = before[static_cast<std::size_t>(n - 1)];
        const std::uint32_t now = bits(after[n - 1]);
        if (was == TX14_MISSING_VALUE)
            require(now == 0u, "missing-value mark not replaced by 0.0");
        else
            require(now == bits(was), "real element changed that is not a result");
    }
    require(!results_written(after, other), "results of the other item kind written");
    return results_written(after, own);
}

// Results follow the validation: a large opening returns its fatal error
// count and writes elements 30-32 only without fatal errors; a jacket or
// coil leaves the count alone and writes 196-198 only when its validation
// found no error. The context counts the errors of either kind.
void check_results(const std::vector<Line>& lines, bool complete, bool jacket, bool written, std::int32_t error_count,
                   int input_errors)
{
    require(input_errors >= 0, "negative count of input errors");
    require(written == (input_errors == 0), "results do not follow the validation");
    if (jacket) {
        require(error_count == kUntouchedCount, "error count set by a jacket item");
        require(any_line_starts_with(lines, "Total Number of Errors,") == (input_errors > 0),
                "jacket error total does not follow its validation");
        return;
    }
    require(error_count == input_errors, "error count of a large opening not returned");
    require(any_line_starts_with(lines, "Number of fatal errors:") == (error_count > 0),
            "fatal error line does not follow the error count");
    if (error_count == 0 && complete)
        require(any_line_contains(lines, "Thickness Conversion Failure - Revise the Geometry.") ||
                    any_line_starts_with(lines, "Approximate Minimum Flange Thickness"),
                "thickness search without an outcome");
}

// The verdict keeps its promises: not analysed exactly when there is a
// reason (fatal input errors among them); acceptable only when every check
// that applies was made with finite numbers and passed; the governing check
// applies.
void check_verdict(const tx14::Context& ctx)
{
    const int verdict = ctx.verdict();
    require((verdict == TX14_NOT_ANALYSED) == (ctx.reason_count() > 0), "not analysed without a reason");
    require(ctx.input_errors() == 0 || verdict == TX14_NOT_ANALYSED, "fatal input errors, yet judged");
    tx14_check c;
    if (ctx.governing() >= 0)
        require(ctx.check(ctx.governing(), c) && c.applicable, "governing check does not apply");
    bool applicable = false;
    for (int i = 0; ctx.check(i, c); ++i) {
        if (!c.applicable)
            continue;
        applicable = true;
        if (verdict == TX14_ACCEPTABLE)
            require(c.passes && std::isfinite(c.value) && std::isfinite(c.limit),
                    "acceptable with a check that fails or is not finite");
    }
    require(verdict != TX14_ACCEPTABLE || applicable, "acceptable without a check");
}

// The 256-character file name field for the destination, padded with
// blanks or NULs.
std::array<char, 256> report_file_name(Destination destination, bool nul_padded)
{
    const Scratch& s = scratch();
    std::string name;
    if (destination == Destination::file)
        name = s.file.string();
    else if (destination == Destination::directory)
        name = s.dir.path().string();
    else if (destination == Destination::missing_folder)
        name = s.missing.string();
    std::array<char, 256> field;
    field.fill(nul_padded ? '\0' : ' ');
    std::memcpy(field.data(), name.data(), std::min(name.size(), field.size()));
    return field;
}

// A run whose report file cannot be opened ends at once: no lines, no
// errors counted, the host's array and error count untouched.
void check_nothing_done(const tx14::Context& ctx, const std::array<float, 200>& before, const Outcome& out)
{
    require(std::memcmp(out.reals.get(), before.data(), sizeof before) == 0,
            "real array changed by a run whose file could not be opened");
    require(out.error_count == kUntouchedCount, "error count set by a run whose file could not be opened");
    require(ctx.captured_lines() == 0, "lines captured by a run whose file could not be opened");
    require(ctx.input_errors() == 0, "input errors counted by a run whose file could not be opened");
}

std::unique_ptr<tx14::Context> reused_context;

void check_call(CallInput in)
{
    steer_item_kind(in);
    const std::array<float, 200> before = reals_of(in);

    const auto destination = static_cast<Destination>(in.destination & 3);
    const Scratch& s = scratch();
    const std::array<char, 256> file_name = report_file_name(destination, in.destination & kNulPadded);
    if (destination == Destination::file)
        std::ofstream(s.file, std::ios::binary | std::ios::trunc) << kEarlierContent;

    const int unit = truncated(before[39]);
    const bool capture = destination == Destination::capture || unit == 0;
    const bool open_fails = !capture && (unit < 0 || destination != Destination::file);
    const bool jacket = truncated(before[199]) == 1;

    const bool reused = (in.destination & kReuseContext) && reused_context;
    if (!reused)
        reused_context = std::make_unique<tx14::Context>();
    tx14::Context& ctx = *reused_context;
    const Outcome out = run(ctx, in, before, file_name);

    require(out.print_control == 1, "print control not 1 after the call");
    // The context records a report file that could not be opened (a
    // negative unit opens none); the scratch file takes every record.
    require((ctx.report_file_error() != 0) == (open_fails && unit > 0),
            "report file failure recorded where there was none, or not recorded");
    std::string file_text;
    if (destination == Destination::file) {
        file_text = read_file(s.file);
        std::error_code ec;
        fs::remove(s.file, ec);
        require(file_text.substr(0, kEarlierContent.size()) == kEarlierContent, "earlier file content lost");
        require(!(capture || open_fails) || file_text.size() == kEarlierContent.size(),
                "file written by a run that does not report to it");
    }
    require(!fs::exists(s.missing.parent_path()), "missing folder created");

    if (open_fails)
        return check_nothing_done(ctx, before, out);

    std::vector<Line> lines;
    bool complete = true;  // every line of the report is there to be read
    if (capture) {
        lines = captured_lines(ctx);
        complete = lines.size() < 500;
    } else {
        lines = file_lines(std::string_view(file_text).substr(kEarlierContent.size()));
    }
    if (!capture || reused) {
        // The same call in capture mode on a fresh context gives the same
        // report and results: the destination and earlier calls leave no mark.
        tx14::Context reference;
        std::array<char, 256> blank_name;
        blank_name.fill(' ');
        const Outcome ref = run(reference, in, before, blank_name);
        const std::vector<Line> captured = captured_lines(reference);
        if (captured.size() < 500 || capture)
            check_same_report(lines, captured);
        require(std::memcmp(ref.reals.get(), out.reals.get(), sizeof before) == 0,
                "results depend on the destination or on earlier calls");
        require(ref.error_count == out.error_count && reference.input_errors() == ctx.input_errors(),
                "error count depends on the destination or on earlier calls");
    }
    check_closing_lines(lines, in.no_special == 1, complete);
    if (in.no_special == 1)
        for (const Line& l : lines)
            require(l.text.find_first_of(kConverted) == std::string_view::npos,
                    "special character left in a plain-text report");

    const bool written = check_reals(before, out.reals.get(), jacket);
    check_results(lines, complete, jacket, written, out.error_count, ctx.input_errors());
    check_verdict(ctx);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    check_call(decode(data, size));
    return 0;
}
