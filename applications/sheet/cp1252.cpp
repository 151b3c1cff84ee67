// Windows-1252 <-> UTF-8: Latin-1 plus the 27 characters of 0x80-0x9F.
#include "cp1252.hpp"

#include <array>
#include <cstdint>

namespace tx14::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code points of bytes 0x80-0x9F; 0 where the code page defines none.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

constexpr char32_t kTheta = 0x03B8;

char32_t code_point(unsigned char c, F8 f8)
{
    if (c == '\t' || (c >= 0x20 && c < 0x7F))
        return c;
    if (c >= 0x80 && c < 0xA0)
        return kHighControls[c - 0x80] ? kHighControls[c - 0x80] : kReplacement;
    if (c >= 0xA0)
        return (c == 0xF8 && f8 == F8::theta) ? kTheta : c;
    return kReplacement;  // C0 controls and DEL
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`, advancing it; nullopt when malformed
// (overlong forms, surrogates and values above U+10FFFF included).
std::optional<char32_t> decode(std::string_view s, std::size_t& i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || s.size() - i <= static_cast<std::size_t>(extra))
        return std::nullopt;
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char b = byte(i + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

std::optional<unsigned char> cp1252_byte(char32_t cp)
{
    if (cp >= 0x20 && cp < 0x7F)
        return static_cast<unsigned char>(cp);
    if (cp >= 0xA0 && cp <= 0xFF)
        return static_cast<unsigned char>(cp);
    for (std::size_t k = 0; k < kHighControls.size(); ++k)
        if (kHighControls[k] != 0 && kHighControls[k] == cp)
            return static_cast<unsigned char>(0x80 + k);
    return std::nullopt;
}

}  // namespace

std::string to_utf8(std::string_view cp1252, F8 f8)
{
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 8);
    for (char c : cp1252)
        append_utf8(out, code_point(static_cast<unsigned char>(c), f8));
    return out;
}

std::optional<std::string> to_cp1252(std::string_view utf8, std::string& problem)
{
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::optional<char32_t> cp = decode(utf8, i);
        if (!cp) {
            problem = "the text is not valid UTF-8";
            return std::nullopt;
        }
        if (*cp < 0x20 || *cp == 0x7F || (*cp >= 0x80 && *cp < 0xA0)) {
            problem = "the text holds a control character";
            return std::nullopt;
        }
        std::optional<unsigned char> b = cp1252_byte(*cp);
        if (!b) {
            std::string ch;
            append_utf8(ch, *cp < 0x10000 ? *cp : kReplacement);
            problem = "the character \"" + ch + "\" has no Windows-1252 code";
            return std::nullopt;
        }
        out += static_cast<char>(*b);
    }
    return out;
}

}  // namespace tx14::text
