// One prepared item from given values to its results in a single call: the
// item is built (conversion, whole-item checks), run on the caller's
// context, and its results, messages, results record and captured report
// lines are copied into the caller's buffer. A foreign-function caller
// makes one call per item and holds no lock of its own meanwhile.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "include/tx14_items.h"
#include "items.hpp"
#include "txappendix14_context.h"

using namespace tx14::items;

namespace {

constexpr int kFileNameWidth = 256;
constexpr int kCaptureRecords = 500;
constexpr int kCaptureRecordWidth = 125;
constexpr int kCaptureText = 4;  // columns 5 to 104 of a record
constexpr int kCaptureTextWidth = 100;
constexpr int kCaptureStyles = 108;  // six style codes of two columns
constexpr int kStyleWidth = 12;
constexpr std::size_t kCaptureCountOffset = 62500;

// Appends to the caller's buffer what fits and counts what was asked for:
// the caller learns the size a complete output needs.
class Output {
public:
    Output(unsigned char* buffer, std::size_t size) : buffer_(buffer), size_(buffer ? size : 0) {}

    void bytes(const void* data, std::size_t n)
    {
        if (n <= size_ && used_ <= size_ - n)
            std::memcpy(buffer_ + used_, data, n);
        used_ += n;
    }
    template <class T>
    void value(T v)
    {
        bytes(&v, sizeof v);
    }
    void text(std::string_view s)
    {
        bytes(s.data(), s.size());
        value('\0');
    }
    void line(std::string_view s)
    {
        bytes(s.data(), s.size());
        value('\n');
    }
    // An int32 written earlier, at `at`, set now.
    void patch(std::size_t at, std::int32_t v)
    {
        if (at + sizeof v <= size_ && at + sizeof v <= used_)
            std::memcpy(buffer_ + at, &v, sizeof v);
    }
    std::size_t used() const { return used_; }

private:
    unsigned char* buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// The header's int32 fields, in order.
enum Head {
    kItemErrors,   // the item was not run: its errors are the messages
    kInputErrors,  // the run's fatal input errors
    kVerdict,
    kValueCount,
    kCheckCount,
    kLineCount,
    kResultsAt,  // byte offsets of the sections
    kValuesAt,
    kChecksAt,
    kLinesAt,
    kReasonCount,  // reasons and notes, and where they begin
    kNoteCount,
    kNotesAt,
    kHeadFields
};

// The float as std::to_chars writes it in its shortest plain form, read
// back as a double: what a text file of results would give a reader.
double shortest(float v)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    double d = NAN;
    if (ec == std::errc())
        std::from_chars(buf, end, d);
    return d;
}

// Eight blanks at p: a report line's padding is skipped eight at a time.
bool blanks8(const unsigned char* p)
{
    std::uint64_t w = 0;
    std::memcpy(&w, p, sizeof w);
    return w == 0x2020202020202020u;
}

bool integral_in(double v, double low, double high) { return v >= low && v <= high && v == std::trunc(v); }

// Feeds the given values to the builder, in the caller's order; false for
// an entry that names no key of the kind.
bool give(ItemBuilder& builder, const KindKeys& keys, const unsigned char* given, std::int32_t count, const char* texts,
          std::size_t texts_size, std::string& fault)
{
    const double numbers = static_cast<double>(keys.numbers.size());
    const double all = numbers + static_cast<double>(keys.texts.size());
    std::size_t text_at = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        double id = 0.0, v = 0.0;
        std::memcpy(&id, given + 16 * i, sizeof id);
        std::memcpy(&v, given + 16 * i + 8, sizeof v);
        if (id == -2.0) {
            builder.item_number(v);
        } else if (id == -1.0 && builder.is_number_key(kDesignationKey)) {
            builder.number(kDesignationKey, v);
        } else if (integral_in(id, 0.0, numbers - 1.0)) {
            builder.number(keys.numbers[static_cast<std::size_t>(id)], v);
        } else if (integral_in(id, numbers, all - 1.0) &&
                   integral_in(v, 0.0, static_cast<double>(texts_size - text_at))) {
            const auto n = static_cast<std::size_t>(v);
            builder.text(keys.texts[static_cast<std::size_t>(id - numbers)], {texts + text_at, n});
            text_at += n;
        } else {
            fault = "given value " + std::to_string(i + 1) + ": no key of a" +
                    (keys.kind == Kind::opening ? "n " : " ") + std::string(keys.name) + " item, or a bad text length";
            return false;
        }
    }
    return true;
}

// The named results of the kind as the report shows them, NaN where the
// run wrote none.
void results(Output& out, const KindKeys& keys, const UnitSystem& units, const float* reals, bool ran)
{
    const auto written = read_results(keys, reals);
    for (std::size_t i = 0; i < keys.results.size(); ++i) {
        double shown = NAN;
        if (ran && i < written.size() && written[i]) {
            float display = units.to_display(keys.results[i].quantity, *written[i]);
            if (std::isfinite(display))
                shown = display == 0.0f ? static_cast<double>(display) : shortest(display);
        }
        out.value(shown);
    }
}

void record(Output& out, const tx14_context* context, std::int32_t values, std::int32_t checks, std::size_t head)
{
    out.patch(head + kValuesAt * 4, static_cast<std::int32_t>(out.used()));
    tx14_value v{};
    for (std::int32_t i = 0; i < values; ++i)
        out.value(tx14_context_value(context, i, &v) ? v.display : NAN);
    for (std::int32_t i = 0; i < values; ++i) {
        tx14_context_value(context, i, &v);
        out.text(v.key ? v.key : "");
        out.text(v.label ? v.label : "");
        out.text(v.unit ? v.unit : "");
    }
    out.patch(head + kChecksAt * 4, static_cast<std::int32_t>(out.used()));
    tx14_check c{};
    for (std::int32_t i = 0; i < checks; ++i) {
        tx14_context_check(context, i, &c);
        out.value(c.display_value);
        out.value(c.display_limit);
        out.value(c.utilization);
        out.value(c.passes);
        out.value(c.applicable);
    }
    for (std::int32_t i = 0; i < checks; ++i) {
        tx14_context_check(context, i, &c);
        out.text(c.key ? c.key : "");
        out.text(c.label ? c.label : "");
        out.text(c.unit ? c.unit : "");
        out.text(c.relation ? c.relation : "");
    }
}

// The reasons, then the notes: code and text of each, NUL-terminated.
void notes(Output& out, const tx14_context* context, std::size_t head)
{
    out.patch(head + kNotesAt * 4, static_cast<std::int32_t>(out.used()));
    tx14_note n{};
    std::int32_t reasons = 0, notes = 0;
    for (; tx14_context_reason(context, reasons, &n); ++reasons) {
        out.text(n.code);
        out.text(n.text);
    }
    for (; tx14_context_note(context, notes, &n); ++notes) {
        out.text(n.code);
        out.text(n.text);
    }
    out.patch(head + kReasonCount * 4, reasons);
    out.patch(head + kNoteCount * 4, notes);
}

}  // namespace

// The packed item: its head, then `count` pairs of doubles, then the texts.
struct Packed {
    std::int32_t kind, code, plain, count, texts_size;
};

extern "C" int32_t tx14_item_run(struct tx14_context* context, const double* factors, const char* labels,
                                 const unsigned char* item, int32_t item_size, const char* report_file,
                                 unsigned char* out, int32_t size)
{
    Output o(out, size > 0 ? static_cast<std::size_t>(size) : 0);
    const std::size_t head = o.used();
    for (int i = 0; i < kHeadFields; ++i)
        o.value(std::int32_t{0});

    Packed p{};
    if (item != nullptr && item_size >= static_cast<std::int32_t>(sizeof p))
        std::memcpy(&p, item, sizeof p);
    const bool whole = item != nullptr && p.count >= 0 && p.texts_size >= 0 && p.count <= (1 << 20) &&
                       static_cast<std::int64_t>(item_size) ==
                           static_cast<std::int64_t>(sizeof p) + 16 * std::int64_t{p.count} + p.texts_size;
    const bool usable_kind = p.kind >= 0 && static_cast<std::size_t>(p.kind) < kinds().size();
    const KindKeys* keys = usable_kind ? &kinds()[static_cast<std::size_t>(p.kind)] : nullptr;
    std::string fault;
    if (factors == nullptr || labels == nullptr || !whole)
        fault = "no unit system, or a malformed item";
    else if (keys == nullptr || p.code < 0 || static_cast<std::size_t>(p.code) >= keys->codes.size())
        fault = "no such kind or code of item";
    else if (report_file != nullptr && std::strlen(report_file) >= kFileNameWidth)
        fault = "report file name longer than 255 bytes";
    if (!fault.empty()) {
        o.patch(head + kItemErrors * 4, 1);
        o.line(fault);
        o.value('\0');
        return static_cast<std::int32_t>(o.used());
    }
    const auto* given = item + sizeof p;
    const auto* texts = reinterpret_cast<const char*>(given + 16 * static_cast<std::size_t>(p.count));

    UnitSystem units;
    std::copy(factors, factors + kFactorCount, units.factors.begin());
    for (std::size_t i = 0; i < units.labels.size(); ++i)
        units.labels[i].assign(labels + i * kLabelWidth, kLabelWidth);
    ItemBuilder builder(*keys, keys->codes[static_cast<std::size_t>(p.code)], units);
    const bool known = give(builder, *keys, given, p.count, texts, static_cast<std::size_t>(p.texts_size), fault);
    Built b = builder.finish();
    if (!known)
        b.errors.insert(b.errors.begin(), Finding{{}, fault});
    for (const Finding& f : b.errors)
        o.line(f.message);
    o.value('\0');
    if (!b.errors.empty()) {
        o.patch(head + kItemErrors * 4, static_cast<std::int32_t>(b.errors.size()));
        return static_cast<std::int32_t>(o.used());
    }
    for (const Finding& f : b.warnings)
        o.line(f.message);
    o.value('\0');
    if (context == nullptr)
        return static_cast<std::int32_t>(o.used());  // checked only

    // The run.
    char file[kFileNameWidth];
    std::memset(file, ' ', sizeof file);
    const std::size_t file_length = report_file ? std::strlen(report_file) : 0;
    std::memcpy(file, report_file ? report_file : "", file_length);
    b.reals[kReportUnitElement - 1] = file_length > 0 ? 10.0f : 0.0f;
    mark_results(*keys, b.reals.data());
    std::array<float, kFactorCount> host_factors = units.host_factors();
    std::int32_t error_count = 0, print_control = 0;
    tx14_context_set_no_special(context, p.plain ? 1 : 0);
    tx14_context_analyse(context, b.reals.data(), b.texts.data(), " ", &error_count, file, nullptr, nullptr, nullptr,
                         labels, host_factors.data(), &print_control);

    const std::int32_t input_errors = tx14_context_input_errors(context);
    const std::int32_t governing = tx14_context_governing(context);
    const std::int32_t values = tx14_context_value_count(context);
    const std::int32_t checks = tx14_context_check_count(context);
    tx14_check g{};
    o.text(governing >= 0 && tx14_context_check(context, governing, &g) && g.key ? g.key : "");
    o.patch(head + kInputErrors * 4, input_errors);
    o.patch(head + kVerdict * 4, tx14_context_verdict(context));
    o.patch(head + kValueCount * 4, values);
    o.patch(head + kCheckCount * 4, checks);
    o.patch(head + kResultsAt * 4, static_cast<std::int32_t>(o.used()));
    results(o, *keys, units, b.reals.data(), input_errors == 0);
    record(o, context, values, checks, head);
    notes(o, context, head);

    const auto* block = static_cast<const unsigned char*>(tx14_context_capture_block(context));
    std::int32_t lines = 0;
    std::memcpy(&lines, block + kCaptureCountOffset, sizeof lines);
    lines = file_length > 0 ? 0 : std::clamp(lines, 0, kCaptureRecords);
    o.patch(head + kLineCount * 4, lines);
    o.patch(head + kLinesAt * 4, static_cast<std::int32_t>(o.used()));
    for (const unsigned char* record = block; record < block + lines * kCaptureRecordWidth;
         record += kCaptureRecordWidth) {
        std::uint8_t n = kCaptureTextWidth;
        while (n >= 8 && blanks8(record + kCaptureText + n - 8))
            n -= 8;
        while (n > 0 && record[kCaptureText + n - 1] == ' ')
            --n;
        o.value(n);
        o.bytes(record + kCaptureText, n);
        o.bytes(record + kCaptureStyles, kStyleWidth);
    }
    return static_cast<std::int32_t>(o.used());
}

extern "C" int32_t tx14_items_run(struct tx14_context* context, int32_t count, const double* const* factors,
                                  const char* const* labels, const unsigned char* const* items,
                                  const int32_t* item_sizes, unsigned char* out, int32_t size, int32_t* ends)
{
    if (factors == nullptr || labels == nullptr || items == nullptr || item_sizes == nullptr || out == nullptr ||
        ends == nullptr)
        return TX14_ITEMS_NULL_ARGUMENT;
    if (count < 0)
        return 0;  // (not a count the caller could take for the error above)
    std::int32_t used = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t needed =
            tx14_item_run(context, factors[i], labels[i], items[i], item_sizes[i], nullptr, out + used, size - used);
        if (needed > size - used) {
            ends[i] = used + needed;  // for the first item: the buffer it needs
            return i;
        }
        used += needed;
        ends[i] = used;
    }
    return count;
}
