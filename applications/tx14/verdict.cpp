// The verdict of an item as the front end prints, exits with and writes it.
#include "verdict.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "cp1252.hpp"

namespace tx14::cli {
namespace {

std::string number_text(float v, const char* format)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, format, static_cast<double>(v));
    return buf;
}

// "SH at head/shell juncture 346238 psi > 30000 psi (11.5x)"
std::string check_line(const RecordedCheck& c)
{
    std::string unit = c.unit.empty() ? "" : " " + c.unit;
    std::string relation = c.passes ? c.relation : c.relation == "<=" ? ">" : "<";
    std::string line = c.label + " " + number_text(c.display_value, "%.6g") + unit + " " +
                       relation + " " + number_text(c.display_limit, "%.6g") + unit;
    if (std::isfinite(c.utilization))
        line += " (" + number_text(c.utilization, "%.3g") + "x)";
    return line;
}

}  // namespace

Record read_record(const Context& ctx)
{
    Record rec;
    tx14_value v;
    for (int i = 0; ctx.value(i, v); ++i)
        rec.values.push_back({v.key, v.label, v.quantity, to_utf8(v.unit), v.value, v.display});
    tx14_check c;
    for (int i = 0; ctx.check(i, c); ++i)
        rec.checks.push_back({c.key, c.label, c.quantity, to_utf8(c.unit), c.relation, c.value,
                              c.limit, c.display_value, c.display_limit, c.passes != 0,
                              c.utilization});
    rec.verdict = static_cast<Verdict>(ctx.verdict());
    rec.governing = ctx.governing();
    return rec;
}

const char* verdict_name(Verdict v)
{
    switch (v) {
    case Verdict::acceptable: return "acceptable";
    case Verdict::not_acceptable: return "not acceptable";
    default: return "not analysed";
    }
}

int exit_code(Verdict v)
{
    switch (v) {
    case Verdict::acceptable: return kExitAcceptable;
    case Verdict::not_acceptable: return kExitNotAcceptable;
    default: return kExitNotAnalysed;
    }
}

int worse_exit(int a, int b)
{
    constexpr int rank[] = {0, 4, 3, 2, 1};  // by exit code: higher ranks win
    return rank[a] >= rank[b] ? a : b;
}

std::string verdict_block(const Record& rec, int fatal_errors, bool plain, bool ansi)
{
    const std::string dash = plain ? " - " : " \u2014 ";
    std::vector<const RecordedCheck*> lines;
    std::string head;
    if (fatal_errors > 0) {
        head = "NOT ANALYSED" + dash + std::to_string(fatal_errors) + " fatal input error" +
               (fatal_errors == 1 ? "" : "s");
    } else if (rec.verdict == Verdict::not_analysed) {
        head = "NOT ANALYSED";
        for (const RecordedCheck& c : rec.checks)
            if (!std::isfinite(c.value) || !std::isfinite(c.limit))
                lines.push_back(&c);
        if (lines.empty())
            head += dash + "nothing was calculated";
    } else if (rec.verdict == Verdict::acceptable) {
        head = "ACCEPTABLE";
        if (rec.governing >= 0)
            head += dash + "governing: " + check_line(rec.checks[static_cast<std::size_t>(rec.governing)]);
    } else {
        head = "NOT ACCEPTABLE";
        for (const RecordedCheck& c : rec.checks)
            if (!c.passes)
                lines.push_back(&c);
        std::stable_sort(lines.begin(), lines.end(), [](const RecordedCheck* a, const RecordedCheck* b) {
            float ua = std::isfinite(a->utilization) ? a->utilization : INFINITY;
            float ub = std::isfinite(b->utilization) ? b->utilization : INFINITY;
            return ua > ub;
        });
    }

    const std::string lead = "VERDICT: ";
    std::string block = lead + head;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = check_line(*lines[i]);
        if (rec.verdict == Verdict::not_analysed)
            text = lines[i]->label + ": a value is not finite";
        if (i == 0)
            block += dash + text;
        else
            block += "\n" + std::string(lead.size() + head.size(), ' ') + dash + text;
    }
    if (ansi) {
        const char* colour = rec.verdict == Verdict::acceptable && fatal_errors == 0 ? "1;32" : "1;31";
        std::string coloured;
        std::size_t start = 0;
        while (start <= block.size()) {
            std::size_t nl = block.find('\n', start);
            std::string line = block.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
            coloured += "\x1b[" + std::string(colour) + "m" + line + "\x1b[0m\n";
            if (nl == std::string::npos)
                break;
            start = nl + 1;
        }
        return coloured;
    }
    return block + "\n";
}

std::string shortest_text(float v)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, end);
}

nlohmann::ordered_json json_number(float v)
{
    if (!std::isfinite(v))
        return nullptr;
    const std::string text = shortest_text(v);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

void add_record_json(nlohmann::ordered_json& j, const Record& rec)
{
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    for (const RecordedValue& v : rec.values)
        values[v.key] = {{"value", json_number(v.display)}, {"unit", v.unit}, {"label", v.label}};
    nlohmann::ordered_json checks = nlohmann::ordered_json::array();
    for (const RecordedCheck& c : rec.checks)
        checks.push_back({{"key", c.key},
                          {"label", c.label},
                          {"value", json_number(c.display_value)},
                          {"limit", json_number(c.display_limit)},
                          {"unit", c.unit},
                          {"relation", c.relation},
                          {"passes", c.passes},
                          {"utilization", json_number(c.utilization)}});
    j["values"] = values;
    j["checks"] = checks;
    j["verdict"] = verdict_name(rec.verdict);
    j["governing"] = rec.governing >= 0
                         ? nlohmann::ordered_json(rec.checks[static_cast<std::size_t>(rec.governing)].key)
                         : nlohmann::ordered_json(nullptr);
}

}  // namespace tx14::cli
