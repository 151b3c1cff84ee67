// Terminal text, JSON and result values of an analysed item.
#include "render.hpp"

#include <cmath>

#include <nlohmann/json.hpp>

namespace tx14::cli {
namespace {

// How a style code shows on a terminal (the calculation sheet has its own
// classes for them). The codes mark titles (1st), underlined lines (2nd), the warning headline
// (3rd), notes (4th), warnings (5th) and captions (6th: 1 a quantity, 2 a
// result).
struct Look {
    std::size_t code;  // 0-based position among the six
    int value;         // 0: any nonzero value
    std::string_view sgr;
};

constexpr Look kLooks[] = {
    {0, 0, "1"}, {1, 0, "4"}, {2, 0, "1"}, {3, 0, "2;3"}, {4, 0, "31"}, {5, 1, "36"}, {5, 2, "32"},
};

}  // namespace

std::string terminal_text(const ReportLines& lines, bool ansi)
{
    std::string out;
    for (const ReportLine line : lines) {
        std::string sgr;
        for (const Look& look : kLooks) {
            const int v = line.styles[look.code];
            if (ansi && (look.value == 0 ? v != 0 : v == look.value))
                sgr += (sgr.empty() ? "" : ";") + std::string(look.sgr);
        }
        const std::string text = text::to_utf8(line.text, text::F8::theta);
        if (!sgr.empty() && !line.text.empty())
            out += "\x1b[" + sgr + "m" + text + "\x1b[0m\n";
        else
            out += text + "\n";
    }
    return out;
}

std::string json_text(const Outcome& o, std::string_view input, int indent)
{
    const std::string j = outcome_json(o, OutcomePart::whole, input);
    return indent < 0 ? j : nlohmann::ordered_json::parse(j).dump(indent);
}

std::optional<float> shown_result(const Outcome& o, std::size_t index)
{
    if (!o.keys || o.fatal_errors > 0 || index >= o.results.size() || !o.results[index])
        return std::nullopt;
    const float shown = o.units->to_display(o.keys->results[index].quantity, *o.results[index]);
    return std::isfinite(shown) ? std::optional<float>(shown) : std::nullopt;
}

}  // namespace tx14::cli
