"""M.A.W.P. of a flat head with a large central opening against its
thickness, in US units, the items run on two threads."""

import txappendix14

head = {
    "kind": "opening", "code": "VIII-1", "description": "Top head", "material": "SA-105",
    "P": 100.0, "T": 300.0, "Bn": 30.0, "A": 60.0, "g0s": 1.0, "g1s": 1.5, "hs": 3.0,
    "ca": 0.125, "Sho": 20000.0, "Shg": 20000.0,
}
thicknesses = [2.0 + 0.5 * n for n in range(7)]
results = txappendix14.analyse_many([dict(head, t=t) for t in thicknesses], threads=2)

print("   t (in.)   M.A.W.P. (psi)")
for t, r in zip(thicknesses, results):
    print("%10.2f %16.1f" % (t, r.mawp))
