#!/usr/bin/env python3
"""Times 20 comparisons two ways, side by side: one after another in this process with
cvn.compare(jobs=1), and with cvn.distributed.compare_many on a LocalCluster of two worker
processes (one thread each, jobs=1), started and warmed up before the clock starts.

    bench/compare_many.py [--build build/release] [--pairs 20] [--lines 300000] [--rounds 3]

Each pair is one generated C file of LINES lines and its edit (bench/e2e/generate_pair.py).
Beside the figures it prints what two processes of pure computation gain over one here.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def spin(_):
    total = 0
    for k in range(3_000_000):
        total += k * k
    return total


def ceiling(rounds):
    """What two processes of pure computation gain here over one: the most any scale-out
    can show on this machine (shared or throttled cores give less than 2x)."""
    from multiprocessing import Pool
    alone = spread = float("inf")
    with Pool(2) as pool:
        for _ in range(rounds):
            start = time.perf_counter()
            for k in range(4):
                spin(k)
            alone = min(alone, time.perf_counter() - start)
            start = time.perf_counter()
            pool.map(spin, range(4))
            spread = min(spread, time.perf_counter() - start)
    return alone / spread


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build", "release"))
    parser.add_argument("--pairs", type=int, default=20)
    parser.add_argument("--lines", type=int, default=300000)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(os.path.abspath(args.build), "python"))
    os.environ["PYTHONPATH"] = sys.path[0]  # for the workers
    import cvn
    import cvn.distributed
    import pandas  # noqa: F401  imported before the clock: compare_many's frame needs it
    from distributed import Client, LocalCluster

    with tempfile.TemporaryDirectory() as root:
        pairs = []
        for k in range(args.pairs):
            old, new = (os.path.join(root, f"p{k}", side) for side in ("old", "new"))
            os.makedirs(old)
            os.makedirs(new)
            subprocess.run([sys.executable, os.path.join(HERE, "e2e", "generate_pair.py"),
                            os.path.join(old, "main.c"), os.path.join(new, "main.c"),
                            "--lines", str(args.lines), "--seed", str(k)], check=True)
            pairs.append((old, new))
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            client.run(lambda: __import__("cvn.distributed"))
            cvn.distributed.compare_many(pairs, client, jobs=1)  # files in the page cache
            # Rounds taken in turns, the best of each: other work on the machine slows both.
            alone = spread = float("inf")
            for _ in range(args.rounds):
                start = time.perf_counter()
                for pair in pairs:
                    cvn.compare(*pair, jobs=1)
                alone = min(alone, time.perf_counter() - start)
                start = time.perf_counter()
                frame = cvn.distributed.compare_many(pairs, client, jobs=1)
                spread = min(spread, time.perf_counter() - start)
                assert frame.job.nunique() == len(pairs)

    print(f"{len(pairs)} pairs of {args.lines} lines: one process {alone:.2f} s, "
          f"compare_many on 2 workers {spread:.2f} s, {alone / spread:.2f}x "
          f"(two processes of pure computation on this machine: {ceiling(args.rounds):.2f}x)")


if __name__ == "__main__":
    main()
