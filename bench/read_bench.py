#!/usr/bin/env python3
"""Times `pellidor read` against find and the shared reference walker.

    bench/read_bench.py --pellidor BUILD/bin/pellidor --work DIR [--sizes 100000 1000000] [--runs 5]
                        [--shared DIR]

The shared tools (mktree.py, walk.c) are taken from ../shared/bench beside
the checkout unless --shared names another folder. For each size: builds
the shared synthetic tree (mktree.py, seed 1) under DIR once, warms the
cache with one run of each program, then runs each program --runs times and
reports the median wall time, entries per second, ratios, and each
program's peak resident memory (GNU time). The catalog of each `pellidor
read` is deleted after its run.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

# The shared benchmark tools, beside the checkout.
SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "bench"))


def run(argv, env=None, stdout=subprocess.DEVNULL):
    """Wall seconds, peak RSS in KiB and stdout of one run. GNU time reports
    the peak: it forks from a small process, unlike this interpreter."""
    start = time.perf_counter()
    proc = subprocess.run(["/usr/bin/time", "-f", "%M", *argv], env=env, stdout=stdout, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    err = proc.stderr.decode().strip().splitlines()
    if proc.returncode != 0 or not err:
        sys.exit(f"{argv[0]} failed ({proc.returncode}): {' '.join(err)}")
    out = proc.stdout.decode() if proc.stdout else ""
    return elapsed, int(err[-1]), out


def count_entries(tree):
    total = 0
    for _, dirs, files in os.walk(tree):
        total += len(dirs) + len(files)
    return total


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pellidor", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--sizes", type=int, nargs="+", default=[100000, 1000000])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--shared", default=SHARED, help="the shared benchmark tools (mktree.py, walk.c)")
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    walker = os.path.join(work, "walk")
    if not os.path.exists(walker):
        subprocess.check_call(["gcc", "-O2", "-o", walker, os.path.join(args.shared, "walk.c")])
    env = dict(os.environ)
    env.pop("PELLIDOR_DRIVES", None)
    env["HOME"] = os.path.join(work, "home")
    env["XDG_DATA_HOME"] = os.path.join(work, "home", "data")
    env["XDG_CONFIG_HOME"] = os.path.join(work, "home", "config")
    catalogs = os.path.join(work, "catalogs")
    subprocess.check_call([args.pellidor, "catdir", catalogs], env=env, stdout=subprocess.DEVNULL)

    for size in args.sizes:
        tree = os.path.join(work, f"tree-{size}")
        if not os.path.exists(tree):
            subprocess.check_call([sys.executable, os.path.join(args.shared, "mktree.py"), tree, str(size), "--seed",
                                   "1"])
        entries = count_entries(tree)

        def pellidor_read():
            elapsed, rss, out = run([args.pellidor, "read", tree], env=env, stdout=subprocess.PIPE)
            catalog = out.strip()
            catalog_bytes = os.path.getsize(catalog)
            os.remove(catalog)
            return elapsed, rss, catalog_bytes

        def find():
            elapsed, rss, _ = run(["find", tree, "-printf", "%m %s %A@ %C@ %T@ %p\\n"])
            return elapsed, rss, 0

        def walk():
            elapsed, rss, _ = run([walker, "-m", "statx", "-o", os.path.join(work, "walk.out"), tree])
            return elapsed, rss, 0

        programs = [("pellidor read", pellidor_read), ("find -printf", find), ("walk -m statx", walk)]
        for _, program in programs:  # warm the cache
            program()
        results = {name: [] for name, _ in programs}
        for _ in range(args.runs):  # interleaved, so load changes hit all alike
            for name, program in programs:
                results[name].append(program())
        medians = {name: statistics.median(r[0] for r in runs) for name, runs in results.items()}
        print(f"\n{size} requested, {entries} entries, warm cache, median of {args.runs}")
        print(f"{'program':<16}{'seconds':>9}{'entries/s':>12}{'peak RSS KiB':>14}{'time / pellidor':>17}")
        for name, runs in results.items():
            seconds = medians[name]
            rss = max(r[1] for r in runs)
            ratio = seconds / medians["pellidor read"]
            print(f"{name:<16}{seconds:>9.3f}{entries / seconds:>12.0f}{rss:>14}{ratio:>17.2f}")
        catalog_bytes = results["pellidor read"][0][2]
        print(f"catalog size {catalog_bytes} bytes ({catalog_bytes / entries:.1f} B/entry)")
        print(f"pellidor rate / find rate {medians['find -printf'] / medians['pellidor read']:.2f}, "
              f"pellidor rate / walker rate {medians['walk -m statx'] / medians['pellidor read']:.2f}")


if __name__ == "__main__":
    main()
