#!/usr/bin/env python3
"""The benchmark's second yardstick: the same scoring with pandas (read_csv,
vectorised scores, to_csv).

    baseline_pandas.py IN.csv OUT.csv [ENCODING]
"""
import sys

import numpy as np
import pandas as pd

DIMENSIONS = {"PS": (1, 9, 45), "PH": (10, 13, 20), "S": (14, 16, 15), "DG": (17, 20, 20)}

encoding = sys.argv[3] if len(sys.argv) > 3 else "utf-8"
df = pd.read_csv(sys.argv[1], sep=";", dtype={"id": str}, encoding=encoding)
percents = {}
for name, (first, last, divisor) in DIMENSIONS.items():
    columns = [f"q{i}" for i in range(first, last + 1)]
    percents[name] = df[columns].sum(axis=1) / divisor * 100
for name, p in percents.items():
    df[name] = np.round(p, 2)
df["Global"] = np.round(sum(percents.values()) / 4, 2)
df["Erreur"] = ""
df.to_csv(sys.argv[2], sep=";", decimal=",", float_format="%.15g", index=False, lineterminator="\n", encoding=encoding)
