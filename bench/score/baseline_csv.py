#!/usr/bin/env python3
"""The benchmark's first yardstick: the same scoring with Python's csv module.

    baseline_csv.py IN.csv OUT.csv [ENCODING]
"""
import csv
import sys

# (first item, last item, divisor) of PS, PH, S, DG
DIMENSIONS = [(1, 9, 45), (10, 13, 20), (14, 16, 15), (17, 20, 20)]


def text(value):
    t = f"{round(value, 2):.2f}".rstrip("0").rstrip(".")
    return t.replace(".", ",")


def main():
    encoding = sys.argv[3] if len(sys.argv) > 3 else "utf-8"
    with open(sys.argv[1], newline="", encoding=encoding) as fin, \
         open(sys.argv[2], "w", newline="", encoding=encoding) as fout:
        reader = csv.reader(fin, delimiter=";")
        writer = csv.writer(fout, delimiter=";", lineterminator="\n")
        header = next(reader)
        items = [header.index(f"q{i}") for i in range(1, 21)]
        writer.writerow(header + ["PS", "PH", "S", "DG", "Global", "Erreur"])
        for row in reader:
            answers = [int(row[c]) for c in items]
            percents = [sum(answers[a - 1:b]) / d * 100 for a, b, d in DIMENSIONS]
            scores = [text(p) for p in percents]
            scores.append(text(sum(percents) / 4))
            writer.writerow(row + scores + [""])


main()
