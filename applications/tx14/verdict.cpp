// The verdict of an item as the front end prints and exits with it.
#include "verdict.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tx14::cli {
namespace {

std::string number_text(float v, const char* format)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, format, static_cast<double>(v));
    return buf;
}

// "SH at head/shell juncture 346238 psi > 30000 psi (11.5x)"
std::string check_line(const ResultsRecord& rec, const RecordedCheck& c)
{
    const std::string unit = *rec.unit(c.quantity) ? " " + text::to_utf8(rec.unit(c.quantity)) : "";
    const bool holds = c.at_least ? c.value >= c.limit : c.value <= c.limit;
    const char* relation = holds ? (c.at_least ? ">=" : "<=") : (c.at_least ? "<" : ">");
    std::string line = std::string(c.label) + " " + number_text(rec.display(c.quantity, c.value), "%.6g") + unit + " " +
                       relation + " " + number_text(rec.display(c.quantity, c.limit), "%.6g") + unit;
    if (holds && !c.passes && c.utilization == INFINITY)  // see the note "check_not_positive"
        line += c.at_least ? ", but the value is not above 0" : ", but the limit is not above 0";
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

int exit_code(const Outcome& o)
{
    switch (o.record.verdict) {
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

std::string verdict_block(const Outcome& o, bool plain, bool ansi)
{
    const ResultsRecord& rec = o.record;
    const std::string dash = plain ? " - " : " \u2014 ";
    std::vector<std::string> lines;
    std::string head;
    if (rec.verdict == Verdict::not_analysed) {
        head = "NOT ANALYSED";
        if (o.fatal_errors > 0)
            head += dash + std::to_string(o.fatal_errors) + " fatal input error" + (o.fatal_errors == 1 ? "" : "s");
        for (int i = 0; i < rec.reason_count; ++i)
            lines.push_back(text::to_utf8(rec.reason_text(i)));
    } else if (rec.verdict == Verdict::acceptable) {
        head = "ACCEPTABLE";
        if (rec.governing >= 0)
            head += dash + "governing: " + check_line(rec, rec.checks[static_cast<std::size_t>(rec.governing)]);
    } else {
        head = "NOT ACCEPTABLE";
        std::vector<const RecordedCheck*> failing;
        for (int i = 0; i < rec.check_count; ++i)
            if (const RecordedCheck& c = rec.checks[static_cast<std::size_t>(i)]; c.applicable && !c.passes)
                failing.push_back(&c);
        std::stable_sort(failing.begin(), failing.end(), [](const RecordedCheck* a, const RecordedCheck* b) {
            float ua = std::isnan(a->utilization) ? INFINITY : a->utilization;
            float ub = std::isnan(b->utilization) ? INFINITY : b->utilization;
            return ua > ub;
        });
        for (const RecordedCheck* c : failing)
            lines.push_back(check_line(rec, *c));
    }

    const std::string lead = "VERDICT: ";
    std::vector<std::string> block{lead + head};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 && o.fatal_errors == 0)
            block.back() += dash + lines[i];
        else
            block.push_back(std::string(characters(lead + head), ' ') + dash + lines[i]);
    }
    for (int i = 0; i < rec.note_count; ++i)
        block.push_back("note: " + text::to_utf8(rec.note_text(i)));

    std::string out;
    const bool good = rec.verdict == Verdict::acceptable;
    for (std::size_t i = 0; i < block.size(); ++i) {
        const bool verdict_line = i <= lines.size();
        if (ansi && verdict_line)
            out += "\x1b[" + std::string(good ? "1;32" : "1;31") + "m" + block[i] + "\x1b[0m\n";
        else
            out += block[i] + "\n";
    }
    return out;
}

}  // namespace tx14::cli
