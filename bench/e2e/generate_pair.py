#!/usr/bin/env python3
"""Writes one seeded pair of large C-like files, OLD and NEW, of LINES lines each: NEW
changes every twentieth line of OLD. The same seed always gives the same bytes."""
import argparse
import random

WORDS = ("buffer count index node list table entry value key item state config data size "
         "offset length").split()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--lines", type=int, default=2_000_000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)

    def line():
        k = rng.random()
        if k < 0.10:
            return "// " + " ".join(rng.choice(WORDS) for _ in range(5))
        if k < 0.15:
            return ""
        if k < 0.20:
            return "/* " + rng.choice(WORDS) + " */"
        return (f"    {rng.choice(WORDS)}_{rng.choice(WORDS)} = {rng.choice(WORDS)}"
                f"({rng.randint(0, 99999)}, {rng.choice(WORDS)}_{rng.choice(WORDS)}, "
                f"{rng.choice(WORDS)});")

    old = [line() for _ in range(args.lines)]
    new = list(old)
    for k in range(0, args.lines, 20):
        new[k] = line()
    for path, lines in ((args.old, old), (args.new, new)):
        with open(path, "w", encoding="ascii", newline="\n") as out:
            out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
