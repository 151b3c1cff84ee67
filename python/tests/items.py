"""Items the tests share: the large opening without nozzle hub worked end to
end, and a half-pipe jacket, in US units."""

import json

OPENING = {
    "kind": "opening", "code": "VIII-1", "units": "US", "item": 1, "description": "Top head", "material": "SA-105",
    "P": 100.0, "T": 300.0, "t": 4.0, "Bn": 30.0, "A": 60.0, "g0s": 1.0, "g1s": 1.5, "hs": 3.0, "ca": 0.125,
    "Sho": 20000.0, "Shg": 20000.0, "density": 0.283,
}

JACKET = {
    "kind": "jacket", "code": "VIII-1", "units": "US", "item": 11, "description": "Reactor jacket",
    "material": "SA-516 70", "jacket_material": "SA-106 B", "D": 48.0, "ts": 0.5, "P": 100.0, "T": 300.0,
    "S": 20000.0, "Sa": 20000.0, "ca": 0.125, "co": 0.0, "E": 1.0, "NPS": 2.0, "r": 0.0, "Tj": 0.109, "Pj": 600.0,
    "Tjacket": 350.0, "Sj": 15000.0, "Sja": 15000.0, "caj": 0.0625, "ExtPCore": 0.0,
}


def toml_of(item) -> str:
    """The item as a tx14 item file."""
    return "".join("%s = %s\n" % (k, json.dumps(v, ensure_ascii=False) if isinstance(v, str) else repr(v))
                   for k, v in item.items())
