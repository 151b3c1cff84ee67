// An outcome of the typed entry as JSON, the one writer behind tx14's
// --json, the Python package and the page; and the key tables as JSON.
#include <span>

#include "json.hpp"
#include "txappendix14_items.hpp"

namespace tx14 {
namespace {

using json::append_number;
using json::append_string;

// Writes an object's members or an array's elements, a comma before each
// but the first.
class Writer {
public:
    explicit Writer(std::string& out, char open = '{') : out_(out), close_(open == '{' ? '}' : ']') { out_ += open; }
    std::string& next()
    {
        if (!first_)
            out_ += ',';
        first_ = false;
        return out_;
    }
    std::string& member(std::string_view name)
    {
        append_string(next(), name);
        out_ += ':';
        return out_;
    }
    void close() { out_ += close_; }

private:
    std::string& out_;
    char close_;
    bool first_ = true;
};

// An array of each item of a range as `write` writes it.
template <class Range, class Write>
void array(std::string& out, const Range& items, Write write)
{
    Writer a(out, '[');
    for (const auto& item : items)
        write(a.next(), item);
    a.close();
}

// An object of texts, its members in the order given.
void texts(std::string& out, std::initializer_list<std::pair<std::string_view, std::string_view>> members)
{
    Writer o(out);
    for (auto [name, text] : members)
        append_string(o.member(name), text);
    o.close();
}

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
    Writer w(out);
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
            Writer v(w.member(k.name));
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
    array(out, list, [keyed](std::string& s, const Finding& f) {
        if (keyed)
            texts(s, {{"key", f.key}, {"message", f.message}});
        else
            append_string(s, f.message);
    });
}

void results(Writer& w, const Outcome& o)
{
    Writer r(w.member("results"));
    for (std::size_t i = 0; o.keys && i < o.keys->results.size(); ++i) {
        const ResultKey& k = o.keys->results[i];
        std::string& out = r.member(k.name);
        if (o.units && i < o.results.size() && o.results[i] && o.fatal_errors == 0)
            append_number(out, o.units->to_display(k.quantity, *o.results[i]));
        else
            out += "null";
    }
    r.close();
    Writer u(w.member("result_units"));
    for (std::size_t i = 0; o.keys && o.units && i < o.keys->results.size(); ++i)
        append_string(u.member(o.keys->results[i].name), utf8(o.units->label(o.keys->results[i].quantity)));
    u.close();
}

void values(std::string& out, const ResultsRecord& rec)
{
    Writer w(out);
    for (const RecordedValue& v : std::span(rec.values.data(), static_cast<std::size_t>(rec.value_count))) {
        Writer o(w.member(v.key));
        append_number(o.member("value"), rec.display(v.quantity, v.value));
        append_string(o.member("unit"), utf8(rec.unit(v.quantity)));
        append_string(o.member("label"), v.label);
        o.close();
    }
    w.close();
}

void checks(std::string& out, const ResultsRecord& rec)
{
    array(out, std::span(rec.checks.data(), static_cast<std::size_t>(rec.check_count)),
          [&rec](std::string& s, const RecordedCheck& c) {
              Writer o(s);
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
          });
}

void notes(std::string& out, const ResultsRecord& rec, bool reasons)
{
    Writer a(out, '[');
    for (int i = 0; i < (reasons ? rec.reason_count : rec.note_count); ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        texts(a.next(), {{"code", reasons ? rec.reasons[at].code : rec.notes[at].code},
                         {"text", utf8(reasons ? rec.reason_text(i) : rec.note_text(i))}});
    }
    a.close();
}

void report(std::string& out, const ReportLines& lines)
{
    array(out, lines, [](std::string& s, const ReportLine& line) {
        Writer o(s);
        append_string(o.member("text"), text::to_utf8(line.text, text::F8::theta));
        array(o.member("styles"), line.styles, [](std::string& t, std::int32_t style) { t += std::to_string(style); });
        o.close();
    });
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
    Writer w(out);
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
    Writer w(out);
    array(w.member("kinds"), kinds(), [](std::string& s, const KindKeys& k) {
        Writer o(s);
        append_string(o.member("name"), k.name);
        array(o.member("codes"), k.codes, [](std::string& t, const CodeName& c) {
            Writer co(t);
            append_string(co.member("name"), c.name);
            co.member("number") += std::to_string(c.number);
            co.close();
        });
        array(o.member("numbers"), k.numbers, [&k](std::string& t, const NumberKey& n) {
            Writer no(t);
            append_string(no.member("name"), n.name);
            append_string(no.member("quantity"), name_of(n.quantity));
            append_string(no.member("meaning"), n.meaning);
            Writer required(no.member("required"), '[');
            for (const CodeName& c : k.codes)
                if (n.required & (1u << c.number))
                    append_string(required.next(), c.name);
            required.close();
            append_string(no.member("instead"), n.instead);
            no.close();
        });
        array(o.member("texts"), k.texts, [](std::string& t, const TextKey& x) {
            texts(t, {{"name", x.name}, {"meaning", x.meaning}});
        });
        array(o.member("results"), k.results, [](std::string& t, const ResultKey& r) {
            texts(t, {{"name", r.name}, {"quantity", name_of(r.quantity)}});
        });
        o.close();
    });
    // The sheet texts of every kind.
    array(w.member("sheet"), kSheetKeys, [](std::string& s, const SheetKey& k) {
        texts(s, {{"name", k.name}, {"meaning", k.meaning}});
    });
    Writer slots(w.member("slots"));  // the unit slot of each quantity
    for (int q = 0; q < kQuantities; ++q)
        slots.member(name_of(static_cast<Quantity>(q))) += std::to_string(slot_of(static_cast<Quantity>(q)));
    slots.close();
    Writer units(w.member("units"));
    for (const UnitSystem* u : {&us_units(), &si_units()}) {
        Writer o(units.member(u->name));
        array(o.member("factors"), u->factors, [](std::string& s, double f) { append_number(s, f); });
        array(o.member("labels"), u->labels, [](std::string& s, const std::string& l) { append_string(s, utf8(l)); });
        o.close();
    }
    units.close();
    w.close();
    return out;
}

}  // namespace tx14
