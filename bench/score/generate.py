#!/usr/bin/env python3
"""Writes a study CSV for the scorer's benchmark: a header, then ROWS tests
(an id and twenty answers 0..5), ';'-separated, LF line ends, same rows for
the same seed.

    generate.py ROWS > tests.csv
"""
import random
import sys

rows = int(sys.argv[1])
rng = random.Random(20261208)
out = sys.stdout
out.write("id;" + ";".join(f"q{i}" for i in range(1, 21)) + "\n")
digits = "012345"
batch = []
for n in range(1, rows + 1):
    batch.append(f"P{n:07d};" + ";".join(rng.choices(digits, k=20)) + "\n")
    if len(batch) == 10000:
        out.write("".join(batch))
        batch.clear()
out.write("".join(batch))
