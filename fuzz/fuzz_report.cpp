// Fuzz target: the report primitives on arbitrary text, widths, counts and
// values. Every buffer is an exact-size heap copy, so AddressSanitizer
// reports any access past its declared length; the checks after each call
// hold for any input (buffers blanked, converted characters gone, only
// blanks removed, numbers within half a unit of their last digit).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.hpp"
#include "report/formula.hpp"
#include "report/formula_block.hpp"
#include "report/number_fields.hpp"
#include "report/rendering.hpp"
#include "report/report.hpp"

namespace {

namespace fs = std::filesystem;
using tx14::Field;
using tx14::fuzz::fail;
using tx14::fuzz::read_file;
using tx14::fuzz::require;

// The fuzzer's bytes, taken front to back; what runs out reads as zero.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}

    template <typename T>
    T take()
    {
        T v{};
        std::size_t k = std::min(sizeof v, n_);
        std::memcpy(&v, p_, k);
        p_ += k;
        n_ -= k;
        return v;
    }

    // A length from 0 to max.
    std::size_t length(std::size_t max) { return take<std::uint16_t>() % (max + 1); }

    // The remaining bytes, at most max of them.
    std::string rest(std::size_t max) { return text_of(std::min(n_, max)); }

private:
    std::string text_of(std::size_t k)
    {
        std::string s(reinterpret_cast<const char*>(p_), k);
        p_ += k;
        n_ -= k;
        return s;
    }

    const std::uint8_t* p_;
    std::size_t n_;
};

// A text in a heap block of exactly its length.
class HeapText {
public:
    explicit HeapText(std::string_view s) : n_(s.size()), p_(new char[s.size()])
    {
        std::memcpy(p_.get(), s.data(), n_);
    }
    Field field() { return Field(p_.get(), n_); }
    std::string_view view() const { return {p_.get(), n_}; }

private:
    std::size_t n_;
    std::unique_ptr<char[]> p_;
};

bool all_blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::string nonblank_characters(std::string_view s)
{
    std::string out;
    for (char c : s)
        if (c != ' ')
            out += c;
    return out;
}

bool has_blank_pair(std::string_view s)
{
    std::size_t end = s.find_last_not_of(' ');
    return end != std::string_view::npos && s.substr(0, end).find("  ") != std::string_view::npos;
}

constexpr std::string_view kConverted = "\xB2\xB3\xA9\xB0\xF8`";  // never left by the conversion
constexpr std::string_view kSpecial = "\xB2\xB3\xBD\xA9\xB0\xF8`";

// The conversion leaves no converted character behind; a one-half stays
// only in the last four positions, where it has no room to widen; a line
// without special characters is left alone.
void check_converted(std::string_view before, std::string_view after)
{
    require(after.find_first_of(kConverted) == std::string_view::npos, "special character left after conversion");
    std::size_t half = after.find('\xBD');
    require(half == std::string_view::npos || half + 4 >= after.size(), "one-half left where it could widen");
    if (before.find_first_of(kSpecial) == std::string_view::npos)
        require(after == before, "line without special characters changed");
}

// Scratch file for the file-mode line writer, emptied before each record.
struct Scratch {
    tx14::fuzz::ScratchDir dir;
    fs::path file = dir.path() / "record.txt";
    Scratch() { std::ofstream(file).flush(); }
};

// The six codes as a reader expects them: right-justified 2-column
// integers, "**" for a code that does not fit.
std::string style_columns(const tx14::LineStyles& styles)
{
    std::string s;
    for (std::int32_t v : styles) {
        if (v < -9 || v > 99) {
            s += "**";
        } else {
            std::string digits = std::to_string(v);
            s += std::string(2 - digits.size(), ' ') + digits;
        }
    }
    return s;
}

void line_writer(Bytes& in)
{
    static auto r = std::make_unique<tx14::Report>();
    static Scratch scratch;
    const auto flags = in.take<std::uint8_t>();
    const bool nowhere = (flags & 3) == 0;  // a report file that could not be opened
    r->special = (flags >> 2) & 3;
    const bool to_file = flags & 0x10;
    r->unit = to_file ? 1 : nowhere ? 0 : -1;
    if (to_file && !r->file.is_open())
        require(r->file.open(scratch.file.string()), "cannot open the scratch file");
    std::error_code ec;
    fs::resize_file(scratch.file, 0, ec);
    for (std::int32_t& s : r->styles)
        s = in.take<std::int8_t>();
    const tx14::LineStyles styles = r->styles;
    const int count = static_cast<int>(in.length(500));
    r->capture.count = count;
    const std::string text = in.rest(400);
    HeapText line(text);

    tx14::write_line(*r, line.field());

    require(all_blank(line.view()), "line not blanked after writing");
    require(r->styles == tx14::LineStyles{}, "styles not reset after writing");
    const std::size_t n = std::min<std::size_t>(text.size(), 100);
    const bool captured = r->unit < 0;
    require(r->capture.count == (captured ? std::min(count + 1, 500) : count), "captured-line count");
    std::string_view written;
    std::string file_text;
    if (captured) {
        std::string_view rec(r->capture.records[r->capture.count - 1], 125);
        require(rec.substr(0, 4) == "    ", "capture record columns 1-4");
        written = rec.substr(4, n);
        require(all_blank(rec.substr(4 + n, 104 - n)), "capture record not blank to column 108");
        require(rec.substr(108, 12) == style_columns(styles), "capture record styles");
        require(rec[120] == '\0' && rec.substr(121) == "    ", "capture record columns 121-125");
    } else if (to_file) {
        r->file.close();  // the record reaches the file at the close
        file_text = read_file(scratch.file);
        long long sum = 0;
        for (std::int32_t s : styles)
            sum += s;
        const std::size_t length = sum != 0 ? 120 : 1 + n;
        require(file_text.size() == length + 1 && file_text.back() == '\n', "file record length");
        require(file_text[0] == ' ', "file record column 1");
        written = std::string_view(file_text).substr(1, n);
        if (sum != 0) {
            require(all_blank(std::string_view(file_text).substr(1 + n, 107 - n)),
                    "file record not blank to column 108");
            require(file_text.substr(108, 12) == style_columns(styles), "file record styles");
        }
    } else {
        return;
    }
    if (r->special == 1) {
        require(written.find_first_of(kConverted) == std::string_view::npos,
                "special character written although converted");
        return;
    }
    std::string expected = text.substr(0, n);
    if (to_file)  // a line break would split the file record
        std::replace_if(
            expected.begin(), expected.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    require(written == expected, "line text not written as given");
}

void special_characters(Bytes& in)
{
    const std::string text = in.rest(400);
    HeapText line(text);
    tx14::convert_special_characters(line.field());
    check_converted(text, line.view());
}

void squeezer(Bytes& in)
{
    const auto keep = in.take<std::int32_t>();
    const std::size_t D = in.length(300);
    const std::string source = in.rest(300);
    HeapText src(source);
    HeapText dst(std::string(D, '\x01'));
    tx14::squeeze_blanks(src.field(), dst.field(), keep);
    // The destination depends on the source alone, not on what it held.
    HeapText src_again(source);
    HeapText dst_again(std::string(D, '\x02'));
    tx14::squeeze_blanks(src_again.field(), dst_again.field(), keep);
    require(dst.view() == dst_again.view(), "destination not filled");

    const std::string words = nonblank_characters(source);
    const std::string copied = nonblank_characters(dst.view());
    require(words.compare(0, copied.size(), copied) == 0, "squeezed text is not the source without blanks");
    if (keep <= 2) {
        require(nonblank_characters(src.view()) == words, "squeezed source lost characters");
        require(!has_blank_pair(src.view()), "blank run left in the squeezed source");
        const std::size_t k = std::min(source.size(), D);
        require(dst.view().substr(0, k) == src.view().substr(0, k), "destination is not the squeezed source");
        require(all_blank(dst.view().substr(k)), "destination not blank-padded");
    } else {
        require(src.view() == source, "source changed with a keep count above 2");
        const std::size_t prefix = std::min({static_cast<std::size_t>(keep - 1), source.size(), D});
        require(dst.view().substr(0, prefix) == std::string_view(source).substr(0, prefix),
                "kept prefix not copied as it stands");
        const std::size_t T = source.find_last_not_of(' ') + 1;
        if (T < source.size() && D > source.size())
            require(copied == words, "squeezed text incomplete although it fits");
    }
}

void substitution(Bytes& in)
{
    in.take<std::int8_t>();  // a byte the seeds hold before the values
    std::vector<float> values(in.take<std::uint8_t>() % 9);
    for (float& v : values)
        v = in.take<float>();
    const std::string tmpl = in.rest(300);
    HeapText line(tmpl);
    tx14::SUBSTVALUES(line.field(), values);
    if (tmpl.size() > 120)
        require(line.view().substr(120) == std::string_view(tmpl).substr(120), "template changed past column 120");

    // The one-pass formula line gives the line of the work buffer, with a
    // keep count and a width taken from the template's length.
    const auto parsed = tx14::FormulaTemplate::parse(tmpl);
    if (!parsed.one_pass() || values.size() > 6)
        return;
    const int keep = static_cast<int>(tmpl.size() % 10);
    const std::size_t width = tmpl.size() % 2 == 0 ? 100 : 78;
    HeapText one_pass(std::string(width, '\x01'));
    tx14::fill_formula_line(one_pass.field(), parsed, values, keep);
    tx14::Report r;
    tx14::fill_formula(r, tmpl, values);
    HeapText squeezed(std::string(width, '\x02'));
    tx14::squeeze_blanks(r.work, squeezed.field(), keep);
    require(one_pass.view() == squeezed.view(), "one-pass formula line differs from the work buffer's");
}

void tidy(Bytes& in)
{
    const std::string text = in.rest(300);
    HeapText line(text);
    tx14::TIDYFORMULA(line.field());
    require(nonblank_characters(line.view()) == nonblank_characters(text), "tidying changed more than blanks");
}

void blank_zeros(Bytes& in)
{
    const int dots = in.take<std::int8_t>();
    const std::string row = in.rest(300);
    HeapText line(row);
    tx14::BLANKZEROS(line.field(), dots);
    for (std::string_view zero : {" 0.0 ", " 0.00 ", " 0.000 ", " 0.0000 ", " 0.00000 ", " 0 ", " 0.00E+00 ", " 0. "})
        require(line.view().find(zero) == std::string_view::npos, "zero left in the row");
    for (std::size_t i = 0; i < row.size(); ++i)
        require(line.view()[i] == row[i] || line.view()[i] == ' ' || line.view()[i] == '.',
                "row changed beyond blanks and dots");
}

// The value a rendered number stands for and the half unit of its last
// digit; false when the text is not a plain number.
bool parse_number(std::string_view text, double& value, double& half_unit)
{
    std::string s(
        text.substr(text.find_first_not_of(' ') == std::string_view::npos ? text.size() : text.find_first_not_of(' ')));
    s.erase(s.find_last_not_of(' ') + 1);
    if (s.empty() || s.find_first_not_of("0123456789+-.E") != std::string::npos)
        return false;
    char* end = nullptr;
    value = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size())
        return false;
    std::size_t e = s.find('E');
    std::string mantissa = s.substr(0, e);
    std::size_t point = mantissa.find('.');
    int decimals = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    half_unit = 0.5 * std::pow(10.0, -decimals);
    if (e != std::string::npos)
        half_unit *= std::pow(10.0, std::atoi(s.c_str() + e + 1));
    return true;
}

// The word of a non-finite value ("NaN", "Infinity", "-Infinity"), with no
// made-up exponent.
bool nonfinite_word(std::string_view text, float v)
{
    std::string s(text);
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    if (std::isnan(v))
        return s == "NaN";
    return s == (v < 0 ? "-Infinity" : "Infinity");
}

void significant_digits(Bytes& in)
{
    const float v = in.take<float>();
    const int n = in.take<std::int32_t>();
    HeapText text(std::string(tx14::kSigDigitsWidth, '\x01'));
    tx14::SIGDIGITS(v, std::span<char, tx14::kSigDigitsWidth>(text.field().data(), tx14::kSigDigitsWidth), n);
    require(text.view().find('\x01') == std::string_view::npos, "SIGDIGITS left part of its field unset");
    if (!std::isfinite(v)) {
        require(nonfinite_word(text.view(), v), "non-finite value not shown by its word");
        return;
    }
    double shown, half_unit;
    if (text.view().find('*') != std::string_view::npos || !parse_number(text.view(), shown, half_unit))
        return;
    // A whole number may be truncated; a nudge moves the value by 1e-4 at most.
    const double slack = (text.view().find('.') == std::string_view::npos ? 2 * half_unit : half_unit) + 1.1e-4 +
                         1e-6 * std::fabs(static_cast<double>(v));
    require(std::fabs(shown - static_cast<double>(v)) <= slack, "SIGDIGITS shows another value");
}

void number_field(Bytes& in)
{
    const auto form = in.take<std::uint8_t>();
    const float v = in.take<float>();
    const int d = in.take<std::int8_t>();
    HeapText text(std::string(in.length(70), '\x01'));
    Field out = text.field();
    switch (form % 5) {
    case 0:
        tx14::field::fixed(out, v, d);
        break;
    case 1:
        tx14::field::exponential(out, v, d);
        break;
    case 2:
        tx14::field::nearest_whole(out, v);
        break;
    case 3:
        tx14::field::fixed_shortest(out, v, d);
        break;
    default:
        tx14::field::nearest_whole_shortest(out, v);
        break;
    }
    require(text.view().find('\x01') == std::string_view::npos, "number field left partly unset");
    if (!std::isfinite(v) || form % 5 > 1 || d < 0 || d > 40)
        return;
    double shown, half_unit;
    if (text.view().find('*') != std::string_view::npos || !parse_number(text.view(), shown, half_unit))
        return;
    require(
        std::fabs(shown - static_cast<double>(v)) <= half_unit * (1 + 1e-9) + 1e-15 * std::fabs(static_cast<double>(v)),
        "number field shows another value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes in(data, size);
    switch (in.take<std::uint8_t>() % 8) {
    case 0:
        line_writer(in);
        break;
    case 1:
        special_characters(in);
        break;
    case 2:
        squeezer(in);
        break;
    case 3:
        substitution(in);
        break;
    case 4:
        tidy(in);
        break;
    case 5:
        blank_zeros(in);
        break;
    case 6:
        significant_digits(in);
        break;
    default:
        number_field(in);
        break;
    }
    return 0;
}
