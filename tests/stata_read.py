#!/usr/bin/env python3
"""Reads a Stata file with pandas and prints what it holds as JSON: the
variable names in order, their labels, the value-label set of each variable
and those sets, the file's label, and the rows (missing values as null).

    stata_read.py FILE.dta
"""
import json
import sys

import pandas as pd

with pd.io.stata.StataReader(sys.argv[1]) as reader:
    frame = reader.read(convert_categoricals=False, convert_dates=False)
    labels = reader.variable_labels()
    sets = {name: {str(value): text for value, text in labels.items()}
            for name, labels in reader.value_labels().items()}
    set_of = dict(zip(frame.columns, reader.lbllist))
    data_label = reader.data_label
rows = frame.astype(object).where(pd.notna(frame), None).values.tolist()
json.dump({"names": list(frame.columns), "labels": labels, "valueLabelSets": sets, "setOf": set_of,
           "dataLabel": data_label, "rows": rows}, sys.stdout, ensure_ascii=False, default=float)
