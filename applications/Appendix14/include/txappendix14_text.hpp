// TXAppendix14's texts: UTF-8 sequences one at a time (decoding with every
// malformed form refused, and encoding a code point), and Windows-1252, the
// code page of the report and the host's text fields.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "txappendix14.h"

namespace tx14::text {

inline constexpr char32_t kReplacement = 0xFFFD;  // shown for what cannot be shown

// Decodes the sequence at `i`, advancing it past; nullopt, `i` unchanged,
// when malformed (overlong forms, surrogates and values above U+10FFFF
// included).
inline std::optional<char32_t> decode_utf8(std::string_view s, std::size_t& i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || s.size() - i <= static_cast<std::size_t>(extra))
        return std::nullopt;
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = byte(i + static_cast<std::size_t>(k));
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

// Appends a code point (at most U+10FFFF, not a surrogate) as UTF-8.
inline void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | (cp >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k)
        out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

// How byte 0xF8 reads: the report's texts use it for the theta of
// "(E\xF8)*"; labels and names written by people mean the letter o with a
// stroke.
enum class F8 { theta, o_stroke };

// Windows-1252 bytes as UTF-8. Bytes the code page leaves undefined and
// control characters other than tab become U+FFFD, so that no byte of a
// report can reach a terminal as a control sequence.
TX_CXX_API std::string to_utf8(std::string_view cp1252, F8 f8 = F8::o_stroke);

// UTF-8 text as Windows-1252 bytes, or nullopt with `problem` set when the
// text is not valid UTF-8, holds a control character or a character the
// code page lacks.
TX_CXX_API std::optional<std::string> to_cp1252(std::string_view utf8, std::string& problem);

}  // namespace tx14::text
