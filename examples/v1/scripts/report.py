#!/usr/bin/env python3
"""Runs wordfreq on some files and prints a small report."""

import argparse
import subprocess
import sys

# The binary the Makefile builds.
WORDFREQ = "./wordfreq"


def run_wordfreq(paths, top):
    """Returns (count, word) pairs, most frequent first."""
    output = subprocess.run(
        [WORDFREQ, "-n", str(top), *paths],
        check=True,
        capture_output=True,
        text=True,
    ).stdout
    pairs = []
    for line in output.splitlines():
        count, word = line.split()
        pairs.append((int(count), word))
    return pairs


def print_report(pairs):
    width = max((len(word) for _, word in pairs), default=4)
    print(f"{'word':<{width}}  count")
    for count, word in pairs:
        print(f"{word:<{width}}  {count:>5}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("files", nargs="+")
    parser.add_argument("--top", type=int, default=10)
    args = parser.parse_args()
    try:
        pairs = run_wordfreq(args.files, args.top)
    except subprocess.CalledProcessError as error:
        sys.exit(error.returncode)
    print_report(pairs)


if __name__ == "__main__":
    main()
