#!/usr/bin/env python3
"""Writes wordfreq's output as CSV, for spreadsheets."""

import csv
import sys


def main():
    writer = csv.writer(sys.stdout)
    writer.writerow(["word", "count"])
    # wordfreq prints "count word" per line.
    for line in sys.stdin:
        parts = line.split()
        if len(parts) != 2:
            continue
        count, word = parts
        writer.writerow([word, count])


if __name__ == "__main__":
    main()
