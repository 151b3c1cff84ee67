// Reading and writing the JSON of the typed entry's C interface.
#include "json.hpp"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "txappendix14_text.hpp"

namespace tx14::json {
namespace {

constexpr int kDeepest = 64;

bool digit(char c) { return c >= '0' && c <= '9'; }

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    std::optional<Value> document(std::string& error)
    {
        std::optional<Value> v = value(0);
        skip_blanks();
        if (v && at_ < s_.size())
            fail("text after the value");
        if (!error_.empty()) {
            error = error_ + " at byte " + std::to_string(at_);
            return std::nullopt;
        }
        return v;
    }

private:
    void fail(const char* what)
    {
        if (error_.empty())
            error_ = what;
    }
    void skip_blanks()
    {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r'))
            ++at_;
    }
    bool take(std::string_view word)
    {
        if (s_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }

    std::optional<Value> value(int depth)
    {
        skip_blanks();
        if (depth > kDeepest) {
            fail("nested more than 64 levels");
            return std::nullopt;
        }
        if (at_ == s_.size()) {
            fail("a value expected");
            return std::nullopt;
        }
        const char c = s_[at_];
        if (c == '{')
            return object(depth);
        if (c == '[')
            return array(depth);
        if (c == '"') {
            std::optional<std::string> t = string();
            return t ? std::optional<Value>(Value{std::move(*t)}) : std::nullopt;
        }
        if (take("null"))
            return Value{nullptr};
        if (take("true"))
            return Value{true};
        if (take("false"))
            return Value{false};
        if (take("NaN"))
            return Value{std::numeric_limits<double>::quiet_NaN()};
        if (take("Infinity"))
            return Value{std::numeric_limits<double>::infinity()};
        if (take("-Infinity"))
            return Value{-std::numeric_limits<double>::infinity()};
        return number();
    }

    std::optional<Value> number()
    {
        const std::size_t start = at_;
        while (at_ < s_.size() && (digit(s_[at_]) || std::string_view("+-.eE").find(s_[at_]) != std::string_view::npos))
            ++at_;
        std::optional<double> v = parse_decimal(s_.substr(start, at_ - start));
        if (!v) {
            at_ = start;
            fail("a value expected");
            return std::nullopt;
        }
        return Value{*v};
    }

    std::optional<Value> array(int depth)
    {
        ++at_;  // [
        Array a;
        skip_blanks();
        if (at_ < s_.size() && s_[at_] == ']') {
            ++at_;
            return Value{std::move(a)};
        }
        for (;;) {
            std::optional<Value> v = value(depth + 1);
            if (!v)
                return std::nullopt;
            a.push_back(std::move(*v));
            skip_blanks();
            if (take(","))
                continue;
            if (take("]"))
                return Value{std::move(a)};
            fail("\",\" or \"]\" expected");
            return std::nullopt;
        }
    }

    std::optional<Value> object(int depth)
    {
        ++at_;  // {
        Object o;
        skip_blanks();
        if (take("}"))
            return Value{std::move(o)};
        for (;;) {
            skip_blanks();
            if (at_ == s_.size() || s_[at_] != '"') {
                fail("a member name expected");
                return std::nullopt;
            }
            std::optional<std::string> name = string();
            skip_blanks();
            if (!name || !take(":")) {
                fail("\":\" expected");
                return std::nullopt;
            }
            std::optional<Value> v = value(depth + 1);
            if (!v)
                return std::nullopt;
            o.push_back({std::move(*name), std::move(*v)});
            skip_blanks();
            if (take(","))
                continue;
            if (take("}"))
                return Value{std::move(o)};
            fail("\",\" or \"}\" expected");
            return std::nullopt;
        }
    }

    std::optional<char32_t> hex4()
    {
        if (s_.size() - at_ < 4)
            return std::nullopt;
        char32_t cp = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[at_++];
            const int d = digit(c)                 ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
            if (d < 0)
                return std::nullopt;
            cp = cp * 16 + static_cast<char32_t>(d);
        }
        return cp;
    }

    std::optional<std::string> string()
    {
        ++at_;  // "
        std::string out;
        while (at_ < s_.size() && s_[at_] != '"') {
            const char c = s_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("a control character in a string");
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ == s_.size())
                break;
            const char e = s_[at_++];
            constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
            if (const std::size_t k = kFrom.find(e); k != std::string_view::npos) {
                out += kTo[k];
            } else if (e == 'u') {
                std::optional<char32_t> cp = hex4();
                if (cp && *cp >= 0xD800 && *cp < 0xDC00 && take("\\u")) {  // a surrogate pair
                    std::optional<char32_t> low = hex4();
                    cp = low && *low >= 0xDC00 && *low < 0xE000
                             ? std::optional<char32_t>(0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00))
                             : std::nullopt;
                }
                if (!cp || (*cp >= 0xD800 && *cp < 0xE000)) {
                    fail("a bad \\u escape");
                    return std::nullopt;
                }
                text::append_utf8(out, *cp);
            } else {
                fail("a bad escape");
                return std::nullopt;
            }
        }
        if (!take("\"")) {
            fail("a string not closed");
            return std::nullopt;
        }
        return out;
    }

    std::string_view s_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

const Value* Value::member(std::string_view name) const
{
    if (const Object* o = std::get_if<Object>(&v))
        for (const auto& [n, value] : *o)
            if (n == name)
                return &value;
    return nullptr;
}

std::optional<Value> parse(std::string_view text, std::string& error) { return Reader(text).document(error); }

// Exact in one operation when the digits and the power of ten are exact
// doubles (most numbers people type); otherwise the C library's
// conversion, with the C locale's decimal point whatever the process's.
std::optional<double> parse_decimal(std::string_view s)
{
    static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    const bool minus = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        ++i;
    std::uint64_t digits = 0;
    int significant = 0, scale = 0, seen = 0;
    bool point = false;
    for (; i < s.size() && (digit(s[i]) || (s[i] == '.' && !point)); ++i) {
        if (s[i] == '.') {
            point = true;
            continue;
        }
        ++seen;
        if (significant == 0 && s[i] == '0') {
            scale -= point;  // a leading zero
            continue;
        }
        ++significant;
        if (significant <= 19) {
            digits = digits * 10 + static_cast<std::uint64_t>(s[i] - '0');
            scale -= point;
        }
    }
    int exponent = 0;
    if (seen > 0 && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        const bool negative = j < s.size() && s[j] == '-';
        if (j < s.size() && (s[j] == '-' || s[j] == '+'))
            ++j;
        if (j == s.size() || !digit(s[j]))
            return std::nullopt;
        for (; j < s.size() && digit(s[j]); ++j)
            exponent = std::min(exponent * 10 + (s[j] - '0'), 100000);
        exponent = negative ? -exponent : exponent;
        i = j;
    }
    if (seen == 0 || i != s.size())
        return std::nullopt;
    const int power = scale + exponent;
    if (significant <= 15 && power >= -22 && power <= 22) {
        // Fewer than 16 digits: signed, the conversion is a plain load on
        // 32-bit x86 too, not x87 arithmetic.
        const double d = static_cast<double>(static_cast<std::int64_t>(digits));
        const double v = power < 0 ? d / kTens[-power] : d * kTens[power];
        return minus ? -v : v;
    }
    std::string text(s);
    std::replace(text.begin(), text.end(), '.', *std::localeconv()->decimal_point);
    return std::strtod(text.c_str(), nullptr);
}

void append_string(std::string& out, std::string_view utf8)
{
    out += '"';
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            out += static_cast<char>(c);
            ++i;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
            ++i;
        } else if (const std::size_t start = i; text::decode_utf8(utf8, i)) {
            out.append(utf8.substr(start, i - start));
        } else {
            text::append_utf8(out, text::kReplacement);
            ++i;
        }
    }
    out += '"';
}

}  // namespace tx14::json
