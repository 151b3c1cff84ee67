// An outcome of the typed entry as JSON, the one writer behind tx14's
// --json, the Python package and the page; and the key tables as JSON.
#include <charconv>
#include <cmath>

#include "json.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {
namespace {

using json::append_number;
using json::append_string;

// Writes `"name":` after a comma when something came before in the object.
class ObjectWriter {
public:
    explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }
    std::string& member(std::string_view name)
    {
        if (!first_)
            out_ += ',';
        first_ = false;
        append_string(out_, name);
        out_ += ':';
        return out_;
    }
    void close() { out_ += '}'; }

private:
    std::string& out_;
    bool first_ = true;
};

std::string utf8(std::string_view cp1252) { return text::to_utf8(cp1252); }

void append_text_or_null(std::string& out, const void* known, std::string_view text)
{
    if (known)
        append_string(out, text);
    else
        out += "null";
}

// The item's keys as given: texts, and numbers in its units with theirs.
void item_echo(std::string& out, const Outcome& o)
{
    ObjectWriter w(out);
    if (o.keys) {
        append_string(w.member("kind"), o.keys->name);
        if (o.code)
            append_string(w.member("code"), o.code->name);
        if (o.units)
            append_string(w.member("units"), o.units->name);
        if (o.number)
            w.member("item") += std::to_string(*o.number);
        for (std::size_t i = 0; i < o.texts.size(); ++i)
            if (!o.texts[i].empty())
                append_string(w.member(o.keys->texts[i].name), utf8(o.texts[i]));
        for (std::size_t i = 0; o.units && i < o.numbers.size(); ++i) {
            if (!o.numbers[i])
                continue;
            const NumberKey& k = o.keys->numbers[i];
            ObjectWriter v(w.member(k.name));
            append_number(v.member("value"), o.units->to_display(k.quantity, *o.numbers[i]));
            append_string(v.member("unit"), utf8(o.units->label(k.quantity)));
            v.close();
        }
        for (std::size_t i = 0; i < kSheetKeyCount; ++i)
            if (!o.sheet[i].empty())
                append_string(w.member(kSheetKeys[i].name), o.sheet[i]);
    }
    w.close();
}

void findings(std::string& out, const std::vector<Finding>& list, bool keyed)
{
    out += '[';
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i)
            out += ',';
        if (!keyed) {
            append_string(out, list[i].message);
            continue;
        }
        ObjectWriter f(out);
        append_string(f.member("key"), list[i].key);
        append_string(f.member("message"), list[i].message);
        f.close();
    }
    out += ']';
}

void results(ObjectWriter& w, const Outcome& o)
{
    ObjectWriter r(w.member("results"));
    for (std::size_t i = 0; o.keys && i < o.keys->results.size(); ++i) {
        const ResultKey& k = o.keys->results[i];
        std::string& out = r.member(k.name);
        if (o.units && i < o.results.size() && o.results[i] && o.fatal_errors == 0)
            append_number(out, o.units->to_display(k.quantity, *o.results[i]));
        else
            out += "null";
    }
    r.close();
    ObjectWriter u(w.member("result_units"));
    for (std::size_t i = 0; o.keys && o.units && i < o.keys->results.size(); ++i)
        append_string(u.member(o.keys->results[i].name), utf8(o.units->label(o.keys->results[i].quantity)));
    u.close();
}

void values(std::string& out, const ResultsRecord& rec)
{
    ObjectWriter w(out);
    for (int i = 0; i < rec.value_count; ++i) {
        const RecordedValue& v = rec.values[static_cast<std::size_t>(i)];
        ObjectWriter o(w.member(v.key));
        append_number(o.member("value"), rec.display(v.quantity, v.value));
        append_string(o.member("unit"), utf8(rec.unit(v.quantity)));
        append_string(o.member("label"), v.label);
        o.close();
    }
    w.close();
}

void checks(std::string& out, const ResultsRecord& rec)
{
    out += '[';
    for (int i = 0; i < rec.check_count; ++i) {
        const RecordedCheck& c = rec.checks[static_cast<std::size_t>(i)];
        if (i)
            out += ',';
        ObjectWriter o(out);
        append_string(o.member("key"), c.key);
        append_string(o.member("label"), c.label);
        append_number(o.member("value"), rec.display(c.quantity, c.value));
        append_number(o.member("limit"), rec.display(c.quantity, c.limit));
        append_string(o.member("unit"), utf8(rec.unit(c.quantity)));
        append_string(o.member("relation"), c.at_least ? ">=" : "<=");
        o.member("passes") += c.passes ? "true" : "false";
        append_number(o.member("utilization"), c.utilization);
        o.member("applicable") += c.applicable ? "true" : "false";
        if (c.reference)
            append_string(o.member("reference"), c.reference);
        o.close();
    }
    out += ']';
}

void notes(std::string& out, const ResultsRecord& rec, bool reasons)
{
    out += '[';
    const int count = reasons ? rec.reason_count : rec.note_count;
    for (int i = 0; i < count; ++i) {
        const RecordedNote& n =
            reasons ? rec.reasons[static_cast<std::size_t>(i)] : rec.notes[static_cast<std::size_t>(i)];
        if (i)
            out += ',';
        ObjectWriter o(out);
        append_string(o.member("code"), n.code);
        append_string(o.member("text"), utf8(reasons ? rec.reason_text(i) : rec.note_text(i)));
        o.close();
    }
    out += ']';
}

void report(std::string& out, const ReportLines& lines)
{
    out += '[';
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += ',';
        const ReportLine line = lines[i];
        ObjectWriter o(out);
        append_string(o.member("text"), text::to_utf8(line.text, text::F8::theta));
        std::string& s = o.member("styles");
        s += '[';
        for (std::size_t k = 0; k < line.styles.size(); ++k) {
            if (k)
                s += ',';
            s += std::to_string(line.styles[k]);
        }
        s += ']';
        o.close();
    }
    out += ']';
}

}  // namespace

std::string outcome_json(const Outcome& o, OutcomePart part, std::string_view input)
{
    std::string out;
    const ResultsRecord& rec = o.record;
    switch (part) {
    case OutcomePart::values:
        values(out, rec);
        return out;
    case OutcomePart::checks:
        checks(out, rec);
        return out;
    case OutcomePart::report:
        report(out, o.report);
        return out;
    default:
        break;
    }
    const bool whole = part == OutcomePart::whole;
    ObjectWriter w(out);
    w.member("schema_version") += std::to_string(kSchemaVersion);
    if (whole && !input.empty())
        append_string(w.member("input"), input);
    append_text_or_null(w.member("kind"), o.keys, o.keys ? o.keys->name : "");
    append_text_or_null(w.member("code"), o.code, o.code ? o.code->name : "");
    append_text_or_null(w.member("units"), o.units.get(), o.units ? o.units->name : "");
    item_echo(w.member("item"), o);
    findings(w.member("errors"), o.errors, true);
    w.member("fatal_errors") += std::to_string(o.fatal_errors);
    results(w, o);
    if (whole) {
        values(w.member("values"), rec);
        checks(w.member("checks"), rec);
    }
    append_string(w.member("verdict"), o.ran() ? verdict_name(rec.verdict) : "not analysed");
    const int governing = o.ran() ? rec.governing : -1;
    std::string& g = w.member("governing");
    if (governing >= 0)
        append_string(g, rec.checks[static_cast<std::size_t>(governing)].key);
    else
        g += "null";
    notes(w.member("reasons"), rec, true);
    notes(w.member("notes"), rec, false);
    if (whole)
        report(w.member("report"), o.report);
    findings(w.member("warnings"), o.warnings, false);
    w.close();
    return out;
}

std::string keys_json()
{
    std::string out;
    ObjectWriter w(out);
    std::string& kinds_out = w.member("kinds");
    kinds_out += '[';
    for (const KindKeys& k : kinds()) {
        if (&k != &kinds().front())
            kinds_out += ',';
        ObjectWriter o(kinds_out);
        append_string(o.member("name"), k.name);
        std::string& codes = o.member("codes");
        codes += '[';
        for (const CodeName& c : k.codes) {
            codes += (&c == &k.codes.front() ? "" : ",");
            ObjectWriter co(codes);
            append_string(co.member("name"), c.name);
            co.member("number") += std::to_string(c.number);
            co.close();
        }
        codes += ']';
        std::string& numbers = o.member("numbers");
        numbers += '[';
        for (const NumberKey& n : k.numbers) {
            numbers += (&n == &k.numbers.front() ? "" : ",");
            ObjectWriter no(numbers);
            append_string(no.member("name"), n.name);
            append_string(no.member("quantity"), name_of(n.quantity));
            append_string(no.member("meaning"), n.meaning);
            std::string& required = no.member("required");
            required += '[';
            bool first = true;
            for (const CodeName& c : k.codes)
                if (n.required & (1u << c.number)) {
                    required += first ? "" : ",";
                    append_string(required, c.name);
                    first = false;
                }
            required += ']';
            append_string(no.member("instead"), n.instead);
            no.close();
        }
        numbers += ']';
        std::string& texts = o.member("texts");
        texts += '[';
        for (const TextKey& t : k.texts) {
            texts += (&t == &k.texts.front() ? "" : ",");
            ObjectWriter to(texts);
            append_string(to.member("name"), t.name);
            append_string(to.member("meaning"), t.meaning);
            to.close();
        }
        texts += ']';
        std::string& results_out = o.member("results");
        results_out += '[';
        for (const ResultKey& r : k.results) {
            results_out += (&r == &k.results.front() ? "" : ",");
            ObjectWriter ro(results_out);
            append_string(ro.member("name"), r.name);
            append_string(ro.member("quantity"), name_of(r.quantity));
            ro.close();
        }
        results_out += ']';
        o.close();
    }
    kinds_out += ']';
    std::string& sheet = w.member("sheet");  // the sheet texts of every kind
    sheet += '[';
    for (const SheetKey& k : kSheetKeys) {
        sheet += &k == kSheetKeys ? "" : ",";
        ObjectWriter so(sheet);
        append_string(so.member("name"), k.name);
        append_string(so.member("meaning"), k.meaning);
        so.close();
    }
    sheet += ']';
    ObjectWriter slots(w.member("slots"));  // the unit slot of each quantity
    for (int q = 0; q < kQuantities; ++q)
        slots.member(name_of(static_cast<Quantity>(q))) += std::to_string(slot_of(static_cast<Quantity>(q)));
    slots.close();
    ObjectWriter units(w.member("units"));
    for (const UnitSystem* u : {&us_units(), &si_units()}) {
        ObjectWriter o(units.member(u->name));
        std::string& f = o.member("factors");
        f += '[';
        for (std::size_t i = 0; i < u->factors.size(); ++i) {
            char buf[32];
            const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, u->factors[i]);
            f.append(i ? "," : "").append(buf, ec == std::errc() ? end : buf);
        }
        f += ']';
        std::string& l = o.member("labels");
        l += '[';
        for (std::size_t i = 0; i < u->labels.size(); ++i) {
            l += i ? "," : "";
            append_string(l, utf8(u->labels[i]));
        }
        l += ']';
        o.close();
    }
    units.close();
    w.close();
    return out;
}

}  // namespace tx14
