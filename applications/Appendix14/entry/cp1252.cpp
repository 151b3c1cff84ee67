// Windows-1252 <-> UTF-8: Latin-1 plus the 27 characters of 0x80-0x9F.
#include <array>
#include <cstdint>

#include "txappendix14_text.hpp"

namespace tx14::text {
namespace {

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

std::optional<unsigned char> cp1252_byte(char32_t cp)
{
    if ((cp >= 0x20 && cp < 0x7F) || (cp >= 0xA0 && cp <= 0xFF))
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
        std::optional<char32_t> cp = decode_utf8(utf8, i);
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
            append_utf8(ch, *cp);
            problem = "the character \"" + ch + "\" has no Windows-1252 code";
            return std::nullopt;
        }
        out += static_cast<char>(*b);
    }
    return out;
}

}  // namespace tx14::text
