"""The outcome of an analysed item: its results record (values, checks,
verdict), its results in the item's units, the fatal error count, and the
report lines with their style codes as plain text or a self-contained HTML
page."""

import html as _html
from dataclasses import dataclass, field
from typing import Any, Dict, List, Mapping, NamedTuple, Optional, Sequence, Tuple


class Line(NamedTuple):
    """One report line: its text (trailing blanks cut) and six style codes:
    title, underlined, warning headline, note, warning, caption (1 a
    quantity, 2 a result)."""
    text: str
    styles: Tuple[int, int, int, int, int, int]


_PAGE_STYLE = """
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 2em auto; max-width: 60em;
       color: #1a1a1a; background: #ffffff; }
h1 { font-size: 1.4em; margin-bottom: 0.2em; }
p.meta { color: #555555; margin-top: 0; }
table.results { border-collapse: collapse; margin: 1em 0; }
table.results th, table.results td { border: 1px solid #cccccc; padding: 0.3em 0.8em; text-align: left; }
table.results td.value { text-align: right; font-family: "DejaVu Sans Mono", monospace; }
pre.report { font-family: "DejaVu Sans Mono", "Courier New", monospace; font-size: 13px;
             line-height: 1.35; background: #f7f7f4; border: 1px solid #dddddd;
             padding: 1em 1.2em; overflow-x: auto; }
.title { font-weight: bold; color: #0b3d66; }
.headline { font-weight: bold; }
.underline { text-decoration: underline; }
.caption { color: #005f87; }
.result { color: #1b6e2a; font-weight: 600; }
.note { font-style: italic; color: #666666; }
.warning { color: #b00020; font-weight: bold; }
"""


def _classes(styles) -> List[str]:
    """The HTML classes of a line's style codes."""
    names = [name for name, code in zip(("title", "underline", "headline", "note", "warning"), styles) if code]
    caption = {1: "caption", 2: "result"}.get(styles[5])
    return names + [caption] if caption else names


class Value(NamedTuple):
    """A computed value as the report shows it: the number in `unit` (None
    when not finite), the unit label and the value's name in words."""
    value: Optional[float]
    unit: str
    label: str


class Check(NamedTuple):
    """An acceptance criterion: value against limit by `relation` ("<=" or
    ">="), in `unit`. utilization is value/limit (<=) or limit/value (>=),
    None when not finite (the check then fails). A check that does not apply
    to the item (`applicable` False) counts neither for the verdict nor as
    governing."""
    key: str
    label: str
    value: Optional[float]
    limit: Optional[float]
    unit: str
    relation: str
    passes: bool
    utilization: Optional[float]
    applicable: bool = True
    reference: Optional[str] = None


class Note(NamedTuple):
    """A reason the item could not be judged, or a note the reader must know:
    a stable code (docs/results.md) and a text in words."""
    code: str
    text: str


@dataclass(frozen=True, repr=False)
class Result:
    """An analysed item. `values` (key -> Value), `checks`, `reasons` (why
    the item is "not analysed"), `notes`, `verdict` ("acceptable", "not
    acceptable", "not analysed") and `governing` (the governing check's key)
    form the results record; docs/results.md lists the keys and codes. The
    three named results are attributes too (`mawp`, `fillet_weld`, ...): in
    the item's units, in the fewest digits that give back the library's
    single-precision value, None when not computed (fatal input errors) or
    not finite. `sheet` holds the sheet texts the item gave (project,
    vessel, ..., approved_by). Each field is decoded when first read;
    values, checks and report lines are made by running the item once
    more, unless the run kept them."""

    kind: str
    code: str
    units: str
    item: Optional[int]
    errors: int
    results: Dict[str, Optional[float]]
    result_units: Dict[str, str]
    lines: Sequence[Line]
    # Defaults as factories: a class attribute would stand in for a field
    # not yet read.
    description: str = field(default_factory=str)
    verdict: str = field(default_factory=lambda: "not analysed")
    governing: Optional[str] = field(default_factory=lambda: None)
    values: Mapping[str, Value] = field(default_factory=dict)
    checks: Sequence[Check] = field(default_factory=list)
    warnings: Sequence[str] = field(default_factory=list)  # the item ran, but look again
    reasons: Sequence[Note] = field(default_factory=list)
    notes: Sequence[Note] = field(default_factory=list)
    sheet: Dict[str, str] = field(default_factory=dict)

    @classmethod
    def _pending(cls, outcome: Any) -> "Result":
        """A Result whose fields outcome.field(name) gives, each when first
        read: many callers read few, and __init__ would cost more than a run."""
        result = object.__new__(cls)
        result.__dict__["_outcome"] = outcome
        return result

    def __getattr__(self, name):
        fields = self.__dict__
        if name in _FIELDS:  # threads that read at once may each decode it
            if "_outcome" not in fields:
                raise AttributeError(name)
            value = fields[name] = fields["_outcome"].field(name)
            return value
        if name in self.results:
            return self.results[name]
        raise AttributeError("%s item result has no attribute %r" % (self.kind, name))

    def _read_all(self) -> "Result":
        """Itself, with the summary's fields read at once, for a caller about
        to read them all."""
        fields = self.__dict__
        if "_outcome" in fields and "_all" not in fields:
            for name, value in fields["_outcome"].summary().items():
                fields.setdefault(name, value)  # as a thread may have read it meanwhile
            fields["_all"] = True
        return self

    def __getstate__(self) -> Dict[str, Any]:
        """Pickled whole, every field read."""
        return {name: getattr(self._read_all(), name) for name in _FIELDS}

    def __repr__(self) -> str:
        shown = ", ".join("%s=%r" % kv for kv in self.results.items())
        return "<Result %s %s, %s, %d fatal errors, %s>" % (
            self.kind, self.code, self.verdict, self.errors, shown)

    def to_dict(self) -> Dict[str, Any]:
        """Plain dicts and lists, for json.dumps."""
        self._read_all()
        return {
            "kind": self.kind, "code": self.code, "units": self.units, "item": self.item,
            "description": self.description, "errors": self.errors,
            "results": dict(self.results), "result_units": dict(self.result_units),
            "values": {k: v._asdict() for k, v in self.values.items()},
            "checks": [{k: v for k, v in c._asdict().items() if k != "reference" or v is not None}
                       for c in self.checks],  # as the library's JSON: `reference` only where known
            "verdict": self.verdict, "governing": self.governing, "warnings": list(self.warnings),
            "reasons": [n._asdict() for n in self.reasons],
            "notes": [n._asdict() for n in self.notes],
            "lines": [{"text": l.text, "styles": list(l.styles)} for l in self.lines],
            "sheet": dict(self.sheet),
        }

    def _repr_html_(self) -> str:
        """The verdict and the checks as an HTML table (for notebooks)."""
        self._read_all()
        esc = _html.escape
        rows = "".join(
            "<tr><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td></tr>" % (
                esc(c.label), _shown(c.value, c.unit), esc(c.relation), _shown(c.limit, c.unit),
                "" if c.utilization is None else "%.3g" % c.utilization,
                "pass" if c.passes else "<strong>FAIL</strong>")
            for c in self.checks if c.applicable)
        said = "".join("<p>%s</p>" % esc(n.text) for n in list(self.reasons) + list(self.notes))
        return ("<p><strong>%s</strong> %s %s</p>" % (esc(self.verdict.upper()), esc(self.kind),
                                                       esc(self.code)) + said +
                "<table><tr><th>check</th><th>value</th><th></th><th>limit</th>"
                "<th>utilization</th><th></th></tr>%s</table>" % rows)

    def text(self) -> str:
        """The report as text, one line each."""
        return "".join(line.text + "\n" for line in self.lines)

    def html(self) -> str:
        """The report as one HTML page with the styles rendered, after the
        verdict and the checks."""
        heading = self.description or "%s %s" % (self.kind, self.code)
        meta = "%s · %s · units %s" % (self.kind, self.code, self.units)
        if self.item is not None:
            meta += " · item %d" % self.item
        esc = _html.escape
        page = ['<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<title>',
                esc(heading), "</title>\n<style>", _PAGE_STYLE, "</style>\n</head>\n<body>\n<h1>",
                esc(heading), '</h1>\n<p class="meta">', esc(meta), "</p>\n",
                self._repr_html_(), '\n<table class="results">\n']
        for name, value in self.results.items():
            shown = ("not computed" if value is None
                     else esc("%s %s" % (_number_text(value), self.result_units[name])))
            page.append('<tr><th>%s</th><td class="value">%s</td></tr>\n'
                        % (name.replace("_", " "), shown))
        page.append('<tr><th>fatal input errors</th><td class="value">%d</td></tr>\n</table>\n'
                    '<pre class="report">' % self.errors)
        for line in self.lines:
            classes = _classes(line.styles)
            text = esc(line.text, quote=False)
            if classes and text:
                page.append('<span class="%s">%s</span>\n' % (" ".join(classes), text))
            else:
                page.append(text + "\n")
        page.append("</pre>\n</body>\n</html>\n")
        return "".join(page)


_FIELDS = frozenset(Result.__dataclass_fields__)


def _shown(value: Optional[float], unit: str) -> str:
    return "not finite" if value is None else _html.escape("%s %s" % (_number_text(value), unit))


def _number_text(value: float) -> str:
    text = repr(value)
    return text[:-2] if text.endswith(".0") else text
