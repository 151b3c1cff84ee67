// Advance widths of DejaVu Sans Book, the font the sheet's figures name
// first, in font units (2048 to the em), as its hmtx table gives them
// (scripts/font-advances prints these tables from the font file). Rows of
// sixteen code points, the characters at the end of each row.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

namespace tx14::sheet::font {

inline constexpr int kUnitsPerEm = 2048;
inline constexpr int kAscender = 1901;                  // above the baseline
inline constexpr int kDescender = 483;                  // below it
inline constexpr std::uint16_t kUnknownAdvance = 2048;  // a character not listed: an em, as wide as most fallbacks

// clang-format off
// U+0020 to U+007F.
inline constexpr std::array<std::uint16_t, 96> kAsciiAdvances = {
     651,  821,  942, 1716, 1303, 1946, 1597,  563,  799,  799, 1024, 1716,  651,  739,  651,  690,  //   ! " # $ % & ' ( ) * + , - . /
    1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303, 1303,  690,  690, 1716, 1716, 1716, 1087,  // 0 1 2 3 4 5 6 7 8 9 : ; < = > ?
    2048, 1401, 1405, 1430, 1577, 1294, 1178, 1587, 1540,  604,  604, 1343, 1141, 1767, 1532, 1612,  // @ A B C D E F G H I J K L M N O
    1235, 1612, 1423, 1300, 1251, 1499, 1401, 2025, 1403, 1251, 1403,  799,  690,  799, 1716, 1024,  // P Q R S T U V W X Y Z [ \ ] ^ _
    1024, 1255, 1300, 1126, 1300, 1260,  721, 1300, 1298,  569,  569, 1186,  569, 1995, 1298, 1253,  // ` a b c d e f g h i j k l m n o
    1300, 1300,  842, 1067,  803, 1298, 1212, 1675, 1212, 1212, 1075, 1303,  690, 1303, 1716, 1229,  // p q r s t u v w x y z { | } ~ .
};

// U+00A0 to U+00FF (U+00AD, the soft hyphen, is not drawn).
inline constexpr std::array<std::uint16_t, 96> kLatin1Advances = {
     651,  821, 1303, 1303, 1303, 1303,  690, 1024, 1024, 2048,  965, 1253, 1716,  739, 2048, 1024,  // . ¡ ¢ £ ¤ ¥ ¦ § ¨ © ª « ¬ . ® ¯
    1024, 1716,  821,  821, 1024, 1303, 1303,  651, 1024,  821,  965, 1253, 1985, 1985, 1985, 1087,  // ° ± ² ³ ´ µ ¶ · ¸ ¹ º » ¼ ½ ¾ ¿
    1401, 1401, 1401, 1401, 1401, 1401, 1995, 1430, 1294, 1294, 1294, 1294,  604,  604,  604,  604,  // À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
    1587, 1532, 1612, 1612, 1612, 1612, 1612, 1716, 1612, 1499, 1499, 1499, 1499, 1251, 1239, 1290,  // Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
    1255, 1255, 1255, 1255, 1255, 1255, 2011, 1126, 1260, 1260, 1260, 1260,  569,  569,  569,  569,  // à á â ã ä å æ ç è é ê ë ì í î ï
    1253, 1298, 1253, 1253, 1253, 1253, 1253, 1716, 1253, 1298, 1298, 1298, 1298, 1212, 1300, 1212,  // ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
};

// The rest of Windows-1252, the signs of the sheet and the report's theta.
inline constexpr std::array<std::pair<char32_t, std::uint16_t>, 32> kOtherAdvances = {{
    {0x0152, 2191}, {0x0153, 2095}, {0x0160, 1300}, {0x0161, 1067},  // Œ œ Š š
    {0x0178, 1251}, {0x017D, 1403}, {0x017E, 1075}, {0x0192,  721},  // Ÿ Ž ž ƒ
    {0x02C6, 1024}, {0x02DC, 1024}, {0x03B8, 1253}, {0x2013, 1024},  // ˆ ˜ θ –
    {0x2014, 2048}, {0x2018,  651}, {0x2019,  651}, {0x201A,  651},  // — ‘ ’ ‚
    {0x201C, 1061}, {0x201D, 1061}, {0x201E, 1061}, {0x2020, 1024},  // “ ” „ †
    {0x2021, 1024}, {0x2022, 1208}, {0x2026, 2048}, {0x2030, 2748},  // ‡ • … ‰
    {0x2039,  819}, {0x203A,  819}, {0x20AC, 1303}, {0x2122, 2048},  // ‹ › € ™
    {0x2212, 1716}, {0x2264, 1716}, {0x2265, 1716}, {0x2300, 1233},  // − ≤ ≥ ⌀
}};
// clang-format on

}  // namespace tx14::sheet::font
