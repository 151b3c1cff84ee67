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
    std::string line = c.label + " " + number_text(c.display_value, "%.6g") + unit + " " + relation + " " +
                       number_text(c.display_limit, "%.6g") + unit;
    if (std::isfinite(c.utilization))
        line += " (" + number_text(c.utilization, "%.3g") + "x)";
    return line;
}

// The width of UTF-8 text in characters.
std::size_t characters(std::string_view utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

RecordedCheck recorded_check(const tx14_check& c)
{
    return {c.key,   c.label,         c.quantity,      to_utf8(c.unit), c.relation,    c.value,
            c.limit, c.display_value, c.display_limit, c.passes != 0,   c.utilization, c.applicable != 0};
}

void read_notes(const Context& ctx, Record& rec)
{
    tx14_note n;
    for (int i = 0; ctx.reason(i, n); ++i)
        rec.reasons.push_back({n.code, to_utf8(n.text)});
    for (int i = 0; ctx.note(i, n); ++i)
        rec.notes.push_back({n.code, to_utf8(n.text)});
}

Record read_record(const Context& ctx)
{
    Record rec;
    tx14_value v;
    for (int i = 0; ctx.value(i, v); ++i)
        rec.values.push_back({v.key, v.label, v.quantity, to_utf8(v.unit), v.value, v.display});
    tx14_check c;
    for (int i = 0; ctx.check(i, c); ++i)
        rec.checks.push_back(recorded_check(c));
    read_notes(ctx, rec);
    rec.verdict = static_cast<Verdict>(ctx.verdict());
    rec.governing = ctx.governing();
    return rec;
}

const char* verdict_name(Verdict v)
{
    switch (v) {
    case Verdict::acceptable:
        return "acceptable";
    case Verdict::not_acceptable:
        return "not acceptable";
    default:
        return "not analysed";
    }
}

int exit_code(Verdict v)
{
    switch (v) {
    case Verdict::acceptable:
        return kExitAcceptable;
    case Verdict::not_acceptable:
        return kExitNotAcceptable;
    default:
        return kExitNotAnalysed;
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
    std::vector<std::string> lines;
    std::string head;
    if (rec.verdict == Verdict::not_analysed) {
        head = "NOT ANALYSED";
        if (fatal_errors > 0)
            head += dash + std::to_string(fatal_errors) + " fatal input error" + (fatal_errors == 1 ? "" : "s");
        for (const RecordedNote& r : rec.reasons)
            lines.push_back(r.text);
        if (lines.empty() && fatal_errors == 0)
            head += dash + "nothing was calculated";
    } else if (rec.verdict == Verdict::acceptable) {
        head = "ACCEPTABLE";
        if (rec.governing >= 0)
            head += dash + "governing: " + check_line(rec.checks[static_cast<std::size_t>(rec.governing)]);
    } else {
        head = "NOT ACCEPTABLE";
        std::vector<const RecordedCheck*> failing;
        for (const RecordedCheck& c : rec.checks)
            if (c.applicable && !c.passes)
                failing.push_back(&c);
        std::stable_sort(failing.begin(), failing.end(), [](const RecordedCheck* a, const RecordedCheck* b) {
            float ua = std::isnan(a->utilization) ? INFINITY : a->utilization;
            float ub = std::isnan(b->utilization) ? INFINITY : b->utilization;
            return ua > ub;
        });
        for (const RecordedCheck* c : failing)
            lines.push_back(check_line(*c));
    }

    const std::string lead = "VERDICT: ";
    std::vector<std::string> block{lead + head};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 && fatal_errors == 0)
            block.back() += dash + lines[i];
        else
            block.push_back(std::string(characters(lead + head), ' ') + dash + lines[i]);
    }
    for (const RecordedNote& n : rec.notes)
        block.push_back("note: " + n.text);

    std::string text;
    const bool good = rec.verdict == Verdict::acceptable;
    for (std::size_t i = 0; i < block.size(); ++i) {
        const bool verdict_line = i <= lines.size();
        if (ansi && verdict_line)
            text += "\x1b[" + std::string(good ? "1;32" : "1;31") + "m" + block[i] + "\x1b[0m\n";
        else
            text += block[i] + "\n";
    }
    return text;
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
                          {"utilization", json_number(c.utilization)},
                          {"applicable", c.applicable}});
    auto notes = [](const std::vector<RecordedNote>& list) {
        nlohmann::ordered_json a = nlohmann::ordered_json::array();
        for (const RecordedNote& n : list)
            a.push_back({{"code", n.code}, {"text", n.text}});
        return a;
    };
    j["values"] = values;
    j["checks"] = checks;
    j["verdict"] = verdict_name(rec.verdict);
    j["governing"] = rec.governing >= 0
                         ? nlohmann::ordered_json(rec.checks[static_cast<std::size_t>(rec.governing)].key)
                         : nlohmann::ordered_json(nullptr);
    j["reasons"] = notes(rec.reasons);
    j["notes"] = notes(rec.notes);
}

}  // namespace tx14::cli
