"""The keys of an item for each kind: the element of the library's real
array or the text field each fills, how its value converts, the code names
and the result elements. The same keys as the tx14 item files."""

from typing import NamedTuple, Tuple

ITEM_ELEMENT = 1
REPORT_UNIT_ELEMENT = 40
KIND_ELEMENT = 200
REAL_COUNT = 200
TEXT_FIELDS = 3
TEXT_WIDTH = 15

COMMON_KEYS = ("kind", "code", "units", "item")


class NumberKey(NamedTuple):
    name: str
    element: int
    quantity: str


class TextKey(NamedTuple):
    name: str
    field: int


class ResultKey(NamedTuple):
    name: str
    element: int
    quantity: str


class KindKeys(NamedTuple):
    name: str
    kind_element: float
    code_element: int
    numbers: Tuple[NumberKey, ...]
    texts: Tuple[TextKey, ...]
    codes: Tuple[Tuple[str, int], ...]
    results: Tuple[ResultKey, ...]


OPENING = KindKeys(
    name="opening",
    kind_element=0.0,
    code_element=25,
    numbers=(
        NumberKey("P", 5, "pressure"),
        NumberKey("T", 6, "temperature"),
        NumberKey("t", 7, "thickness"),
        NumberKey("Bn", 8, "diameter"),
        NumberKey("A", 9, "diameter"),
        NumberKey("g0s", 10, "thickness"),
        NumberKey("g1s", 11, "thickness"),
        NumberKey("hs", 12, "thickness"),
        NumberKey("ca", 13, "thickness"),
        NumberKey("Sho", 15, "stress"),
        NumberKey("Shg", 16, "stress"),
        NumberKey("g0n", 18, "thickness"),
        NumberKey("g1n", 19, "thickness"),
        NumberKey("hn", 20, "thickness"),
        NumberKey("density", 21, "density"),
    ),
    texts=(TextKey("material", 1), TextKey("description", 2)),
    codes=(("VIII-1", 1), ("VIII-2", 2)),
    results=(
        ResultKey("minimum_thickness", 30, "thickness"),
        ResultKey("mawp", 31, "pressure"),
        ResultKey("largest_stress", 32, "stress"),
    ),
)

JACKET = KindKeys(
    name="jacket",
    kind_element=1.0,
    code_element=20,
    numbers=(
        NumberKey("D", 2, "diameter"),
        NumberKey("ts", 3, "thickness"),
        NumberKey("P", 4, "pressure"),
        NumberKey("T", 5, "temperature"),
        NumberKey("S", 6, "stress"),
        NumberKey("Sa", 7, "stress"),
        NumberKey("ca", 8, "thickness"),
        NumberKey("E", 9, "none"),
        NumberKey("NPS", 10, "diameter"),
        NumberKey("Tj", 11, "thickness"),
        NumberKey("Pj", 12, "pressure"),
        NumberKey("Tjacket", 13, "temperature"),
        NumberKey("Sj", 14, "stress"),
        NumberKey("Sja", 15, "stress"),
        NumberKey("caj", 16, "thickness"),
        NumberKey("r", 17, "diameter"),
        NumberKey("ExtPCore", 18, "pressure"),
        NumberKey("co", 19, "thickness"),
        NumberKey("L", 21, "length"),
    ),
    texts=(TextKey("material", 1), TextKey("jacket_material", 2), TextKey("description", 3)),
    codes=(("VIII-1", 1), ("VIII-2", 2), ("PD5500", 3), ("EN13445", 4)),
    results=(
        ResultKey("fillet_weld", 196, "thickness"),
        ResultKey("permissible_jacket_pressure", 197, "pressure"),
        ResultKey("governing_shell_thickness", 198, "thickness"),
    ),
)

KINDS = {k.name: k for k in (OPENING, JACKET)}


def key_list(keys: KindKeys) -> str:
    """The keys of a kind as one line: "kind, code, units, item, material, ..."."""
    names = list(COMMON_KEYS) + [t.name for t in keys.texts] + [n.name for n in keys.numbers]
    return ", ".join(names)
