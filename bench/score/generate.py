#!/usr/bin/env python3
"""Writes a study CSV for the scorer's benchmark: a header, then ROWS tests
(an id and twenty answers 0..5), ';'-separated, LF line ends, same rows for
the same seed. With ENCODING (windows-1252, as a French Excel saves it) each
id holds a name with accents, in that encoding.

    generate.py ROWS [ENCODING] > tests.csv
"""
import random
import sys

rows = int(sys.argv[1])
encoding = sys.argv[2] if len(sys.argv) > 2 else None
rng = random.Random(20261208)
out = sys.stdout.buffer
names = ["Zoé Lefèvre", "Élodie Gênée", "Noël Dupré", "François Cœur"]
out.write(("id;" + ";".join(f"q{i}" for i in range(1, 21)) + "\n").encode())
digits = "012345"
batch = []
for n in range(1, rows + 1):
    name = f"{names[n % len(names)]} " if encoding else ""
    batch.append(f"{name}P{n:07d};" + ";".join(rng.choices(digits, k=20)) + "\n")
    if len(batch) == 10000:
        out.write("".join(batch).encode(encoding or "ascii"))
        batch.clear()
out.write("".join(batch).encode(encoding or "ascii"))
